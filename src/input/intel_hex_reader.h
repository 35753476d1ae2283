// Intel HEX lines: the reader, the placement of a read record and the field accessors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/code_placement.h"
#include "input/intel_hex_format.h"
#include "input/record_lines.h"

namespace sumwright {

// Field accessors. Each reads the record text and returns false when the text is too short for
// the field or its digits are not hexadecimal.
bool RecordType(const IntelHexLine& line, uint32_t* type);
bool ByteCount(const IntelHexLine& line, uint32_t* count);
bool LoadOffset(const IntelHexLine& line, uint32_t* offset);
bool ExtensionValue(const IntelHexLine& line, uint32_t* value);  // the data of an address record
// Data digits from the data column up to the checksum, not converted; a view into the record
// text. False when the type is not 00 or the text ends at or before the type field.
bool DataText(const IntelHexLine& line, std::string_view* data);

// For an extended address record (02 or 04) with a readable value: makes it the address state
// in effect and returns true. Any other record leaves the state as it is.
bool FollowAddressRecord(const IntelHexLine& line, ExtendedAddressState* state);

// Reads one line (text without its line end) under the extended address state `state`, which it
// updates at 02 and 04 records, into *line: its type and, for 00, 02 and 04, its absolute
// address; the placement stays Invalid. False, printing nothing, when a field its type needs
// cannot be read. A type this program refuses is read (PlaceIntelHexLine refuses it).
bool ReadIntelHexLine(const char* text, size_t length, ExtendedAddressState* state,
                      IntelHexLine* line);

// Places a line that ReadIntelHexLine read relative to the code field `field`. False when the
// line is refused: after L2008 for type FF, after L3315 for a data record placed Invalid or
// whose digits do not reach a code byte it holds, silently for the types 06 to FE.
bool PlaceIntelHexLine(IntelHexLine* line, CodeField* field);

}  // namespace sumwright
