// Tests of data bytes decoded from record digits.
#include "crc/record_bytes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace sumwright {
namespace {

TEST(RecordBytes, DecodesPairsAndReadsBadOrMissingPairsAsErased) {
  struct Case {
    std::string digits;
    size_t count;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"0123456789ABCDEF", 8, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
      {"abcdef", 3, {0xAB, 0xCD, 0xEF}},
      {"aBcD", 2, {0xAB, 0xCD}},
      {"00FF", 2, {0x00, 0xFF}},
      // Not hexadecimal: either character spoils its pair, and only its pair.
      {"31G23334", 4, {0x31, 0xFF, 0x33, 0x34}},
      {"3g", 1, {0xFF}},
      {"x1", 1, {0xFF}},
      {"  ", 1, {0xFF}},
      {"0x10", 2, {0xFF, 0x10}},
      {std::string("1\0"
                   "22",
                   4),
       2,
       {0xFF, 0x22}},
      {"\xB1\xB2", 1, {0xFF}},
      // Fewer digits than bytes: the bytes beyond them read 0xFF, a lone digit too.
      {"3132", 4, {0x31, 0x32, 0xFF, 0xFF}},
      {"313", 2, {0x31, 0xFF}},
      {"", 3, {0xFF, 0xFF, 0xFF}},
      // More digits than bytes: the surplus is not read.
      {"31323334", 2, {0x31, 0x32}},
      {"31", 0, {}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes(c.count + 1, 0x5A);
    DecodeDataBytes(c.digits.data(), c.digits.size(), c.count, bytes.data());
    EXPECT_EQ(0x5A, bytes[c.count]) << "wrote past the bytes for \"" << c.digits << "\"";
    bytes.pop_back();
    EXPECT_EQ(c.bytes, bytes) << "\"" << c.digits << "\"";
  }
}

TEST(RecordBytes, EveryDigitPairDecodes) {
  const char digits[] = "0123456789ABCDEFabcdef";
  for (int high = 0; high < 22; ++high) {
    for (int low = 0; low < 22; ++low) {
      char pair[2] = {digits[high], digits[low]};
      uint8_t byte = 0;
      DecodeDataBytes(pair, 2, 1, &byte);
      EXPECT_EQ(std::stoi(std::string(pair, 2), nullptr, 16), byte) << pair[0] << pair[1];
    }
  }
}

// The byte of one pair by a plain search of the digit list; 0xFF when either is not a digit.
uint8_t PairByte(char high, char low) {
  const std::string digits = "0123456789abcdef";
  size_t h = digits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(high))));
  size_t l = digits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(low))));
  if (h == std::string::npos || l == std::string::npos || high == '\0' || low == '\0') {
    return 0xFF;
  }
  return static_cast<uint8_t>(h * 16 + l);
}

TEST(RecordBytes, EveryPairOfCharactersInLongRunsDecodesLikeThePlainSearch) {
  // All 65,536 pairs in one text, so that runs of any grouping see every character at every
  // place; then again shifted by one pair.
  std::string text;
  for (int high = 0; high < 256; ++high) {
    for (int low = 0; low < 256; ++low) {
      text += static_cast<char>(high);
      text += static_cast<char>(low);
    }
  }
  for (size_t skip : {size_t{0}, size_t{2}, size_t{6}}) {
    size_t count = (text.size() - skip) / 2;
    std::vector<uint8_t> bytes(count);
    DecodeDataBytes(text.data() + skip, text.size() - skip, count, bytes.data());
    for (size_t i = 0; i < count; ++i) {
      ASSERT_EQ(PairByte(text[skip + 2 * i], text[skip + 2 * i + 1]), bytes[i])
          << "pair " << i << " after skipping " << skip;
    }
  }
}

}  // namespace
}  // namespace sumwright
