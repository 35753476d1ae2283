// Conversion of hexadecimal text (no prefix, no suffix, at most 8 digits) to a 32-bit value.
#include "base/hex_value.h"

namespace sumwright {

HexStatus HexValue(const char* text, size_t length, uint32_t* value) {
  *value = 0;
  if (length > 8) {
    return HexTooLong;
  }
  uint32_t result = 0;
  for (size_t i = 0; i < length; ++i) {
    int digit = kHexDigitValue[text[i]];
    if (digit < 0) {
      return HexBadDigit;
    }
    result = result * 16 + static_cast<uint32_t>(digit);
  }
  *value = result;
  return HexOk;
}

}  // namespace sumwright
