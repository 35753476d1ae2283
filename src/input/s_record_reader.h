// S-record lines: the reader, the placement of a read record and the field accessors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/code_placement.h"
#include "input/record_lines.h"
#include "input/s_record_format.h"

namespace sumwright {

// Field accessors. Each reads the record text.
// The type digit as 0 to 15; false when it is not a hexadecimal digit.
bool RecordType(const SRecordLine& line, uint32_t* type);
// Address digits of the types with an address field; false for other types and for texts too
// short for the field.
bool AddressText(const SRecordLine& line, std::string_view* address);
bool AddressValue(const SRecordLine& line, uint32_t* address);
// Data digits of S1, S2, S3 from the column after the address up to the checksum, not converted.
// False for other types and for texts that end before the data column.
bool DataText(const SRecordLine& line, std::string_view* data);

// Reads one line (text without its line end) into *line: its type and, for S1, S2 and S3, its
// address; the placement stays Invalid. False when a field its type needs cannot be read. A type
// this program refuses is read (PlaceSRecordLine refuses it). Prints nothing.
bool ReadSRecordLine(const char* text, size_t length, SRecordLine* line);

// Places a line that ReadSRecordLine read relative to the code field `field`. False, without a
// message, when the line is refused: S4, S5, S6 and the types above 9, and a data record placed
// Invalid.
bool PlaceSRecordLine(SRecordLine* line, CodeField* field);

}  // namespace sumwright
