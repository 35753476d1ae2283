// S-record lines: the reader and the field accessors of a stored record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/code_placement.h"
#include "input/record_lines.h"

namespace sumwright {

// Field accessors. Each reads the record text (columns counted from 1, "S" in column 1).
// Type digit in column 2 as 0 to 15; false when it is not a hexadecimal digit.
bool RecordType(const SRecordLine& line, uint32_t* type);
// Address digits: S1, S9 columns 5-8; S2, S8 columns 5-10; S3, S7 columns 5-12. False for other
// types and for texts too short for the field.
bool AddressText(const SRecordLine& line, std::string_view* address);
bool AddressValue(const SRecordLine& line, uint32_t* address);
// Data digits of S1, S2, S3 from the column after the address up to the checksum, not converted.
// False for other types and for texts that end before the data column.
bool DataText(const SRecordLine& line, std::string_view* data);

// Reads one line (text without its line end) into *line, placed relative to the code field
// `field`. False, without a message, when the line is refused. With `field` null the line is
// read again, for its address only, and not placed.
bool ReadSRecordLine(const char* text, size_t length, CodeField* field, SRecordLine* line);

}  // namespace sumwright
