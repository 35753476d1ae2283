// Conversion of hexadecimal text (no prefix, no suffix, at most 8 digits) to a 32-bit value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sumwright {

enum HexStatus { HexOk, HexTooLong, HexBadDigit };

// Value of each byte as a hexadecimal digit (0 to 15 for 0-9, A-F and a-f), or -1.
struct HexDigitTable {
  int8_t values[256];
  constexpr HexDigitTable() : values() {
    for (int i = 0; i < 256; ++i) {
      values[i] = -1;
    }
    for (int i = 0; i < 10; ++i) {
      values['0' + i] = static_cast<int8_t>(i);
    }
    for (int i = 0; i < 6; ++i) {
      values['A' + i] = static_cast<int8_t>(10 + i);
      values['a' + i] = static_cast<int8_t>(10 + i);
    }
  }
  constexpr int operator[](char c) const { return values[static_cast<unsigned char>(c)]; }
};
inline constexpr HexDigitTable kHexDigitValue{};

// Reads `length` characters of `text` as one hexadecimal number. Nine or more characters are
// HexTooLong even when they start with zeros, so that no number silently loses digits; an empty
// text reads as 0. Any character that is not a digit of either case gives HexBadDigit. *value
// is 0 unless the result is HexOk.
HexStatus HexValue(const char* text, size_t length, uint32_t* value);

// Reads the two hexadecimal digits at `text` as one byte; false when either is not a digit.
inline bool HexByte(const char* text, uint32_t* value) {
  int high = kHexDigitValue[text[0]];
  int low = kHexDigitValue[text[1]];
  if ((high | low) < 0) {
    return false;
  }
  *value = static_cast<uint32_t>(high * 16 + low);
  return true;
}

}  // namespace sumwright
