// Data bytes decoded straight from the hexadecimal digits of a record's text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sumwright {

// Writes `count` bytes to `bytes`: byte i from the digit pair at characters 2i and 2i + 1 of
// `digits`, of which `digitCount` characters exist. A pair that is not two hexadecimal digits
// (either case), or that does not lie wholly within `digitCount`, gives 0xFF.
void DecodeDataBytes(const char* digits, size_t digitCount, size_t count, uint8_t* bytes);

}  // namespace sumwright
