// Tests of the conversion of hexadecimal text to a 32-bit value.
#include "base/hex_value.h"

#include <gtest/gtest.h>

#include <cstring>

namespace sumwright {
namespace {

TEST(HexValue, ConvertsUpToEightDigitsWithoutPrefixOrSuffix) {
  struct Case {
    const char* text;
    HexStatus status;
    uint32_t value;
  };
  const Case cases[] = {
      {"", HexOk, 0},
      {"0", HexOk, 0},
      {"FFFE", HexOk, 0xFFFE},
      {"aBcD", HexOk, 0xABCD},
      {"FFFFFFFF", HexOk, 0xFFFFFFFF},
      {"00000001", HexOk, 1},
      // Leading zeros count towards the limit.
      {"000000001", HexTooLong, 0},
      {"123456789", HexTooLong, 0},
      {"0x1000", HexBadDigit, 0},
      {"1000H", HexBadDigit, 0},
      {" 100", HexBadDigit, 0},
      {"10G", HexBadDigit, 0},
      {"-1", HexBadDigit, 0},
  };
  for (const Case& c : cases) {
    uint32_t value = 7;
    EXPECT_EQ(c.status, HexValue(c.text, std::strlen(c.text), &value)) << c.text;
    EXPECT_EQ(c.value, value) << c.text;
  }
}

TEST(HexValue, ReadsOnlyTheGivenLength) {
  uint32_t value = 7;
  EXPECT_EQ(HexOk, HexValue("12ZZ", 2, &value));
  EXPECT_EQ(0x12u, value);
}

TEST(HexValue, HexByteReadsTwoDigits) {
  uint32_t value = 0;
  EXPECT_TRUE(HexByte("3a", &value));
  EXPECT_EQ(0x3Au, value);
  EXPECT_TRUE(HexByte("F0", &value));
  EXPECT_EQ(0xF0u, value);
  EXPECT_FALSE(HexByte("G0", &value));
  EXPECT_FALSE(HexByte("0:", &value));
}

}  // namespace
}  // namespace sumwright
