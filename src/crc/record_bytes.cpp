// Data bytes decoded straight from the hexadecimal digits of a record's text.
#include "crc/record_bytes.h"

#include <cstring>

namespace sumwright {

namespace {

// Digit values for the high and the low half of a byte; every other character maps to 0xFF, so
// OR-ing the two halves gives the byte, or 0xFF when either character is not a digit.
struct PairHalfTables {
  uint8_t high[256];
  uint8_t low[256];
};

constexpr PairHalfTables MakePairHalfTables() {
  PairHalfTables tables{};
  for (int c = 0; c < 256; ++c) {
    int value = -1;
    if (c >= '0' && c <= '9') {
      value = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      value = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      value = c - 'a' + 10;
    }
    tables.high[c] = static_cast<uint8_t>(value < 0 ? 0xFF : value << 4);
    tables.low[c] = static_cast<uint8_t>(value < 0 ? 0xFF : value);
  }
  return tables;
}

constexpr PairHalfTables kPairHalves = MakePairHalfTables();

}  // namespace

void DecodeDataBytes(const char* digits, size_t digitCount, size_t count, uint8_t* bytes) {
  size_t whole = digitCount / 2 < count ? digitCount / 2 : count;
  const auto* text = reinterpret_cast<const unsigned char*>(digits);
  for (size_t i = 0; i < whole; ++i) {
    bytes[i] =
        static_cast<uint8_t>(kPairHalves.high[text[2 * i]] | kPairHalves.low[text[2 * i + 1]]);
  }
  // Bytes whose digits are missing read like erased flash.
  if (count > whole) {
    std::memset(bytes + whole, 0xFF, count - whole);
  }
}

}  // namespace sumwright
