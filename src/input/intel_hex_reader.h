// Intel HEX lines: the reader and the field accessors of a stored record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/code_placement.h"
#include "input/record_lines.h"

namespace sumwright {

// Field accessors. Each reads the record text (columns counted from 1, ":" in column 1) and
// returns false when the text is too short for the field or its digits are not hexadecimal.
bool RecordType(const IntelHexLine& line, uint32_t* type);       // columns 8-9
bool ByteCount(const IntelHexLine& line, uint32_t* count);       // columns 2-3
bool LoadOffset(const IntelHexLine& line, uint32_t* offset);     // columns 4-7
bool ExtensionValue(const IntelHexLine& line, uint32_t* value);  // columns 10-13
// Data digits from column 10 up to the checksum, not converted; a view into the record text.
// False when the type is not 00 or the text has 9 characters or fewer.
bool DataText(const IntelHexLine& line, std::string_view* data);
// Start (the stored address) and inclusive end (start + byte count - 1, mod 2^32).
bool RecordSpan(const IntelHexLine& line, uint32_t* start, uint32_t* end);

// For an extended address record (02 or 04) with a readable value: makes it the address state
// in effect and returns true. Any other record leaves the state as it is.
bool FollowAddressRecord(const IntelHexLine& line, ExtendedAddressState* state);

// Reads one line (text without its line end) under the extended address state `state`, which it
// updates at 02 and 04 records, into *line, placed relative to the code field `field`. False when
// the line is refused: after L2008 for type FF, after L3315 for a data record placed Invalid or
// whose digits do not reach a code byte, silently otherwise. With `field` null the line is read
// again, for its address only: it is not placed and a refusal prints nothing.
bool ReadIntelHexLine(const char* text, size_t length, ExtendedAddressState* state,
                      CodeField* field, IntelHexLine* line);

}  // namespace sumwright
