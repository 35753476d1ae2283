// SPDX-License-Identifier: MIT
// Tests of the conversions between UTF-8 and UTF-16 and of the UTF-8 check.
#include "base/wide_text.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

// Encodings from the Unicode code charts: U+65E5 日, U+D55C 한, U+1F600 😀.
TEST(WideText, ConvertsEveryUtf16NameBothWays) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"caf\u00E9.hex", "caf\xC3\xA9.hex"},
      {u"\u65E5\\\uD55C", "\xE6\x97\xA5\\\xED\x95\x9C"},
      {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      // Surrogates without their partners, which a Windows name may hold, keep their values.
      {u"a\xD800", "a\xED\xA0\x80"},
      {u"\xDC00z", "\xED\xB0\x80z"},
  };
  for (const auto& [units, text] : cases) {
    EXPECT_EQ(text, TextFromUtf16(units)) << text;
    EXPECT_EQ(units, TextToUtf16(text)) << text;
  }
  EXPECT_EQ(u"\uFFFDc\uFFFD", TextToUtf16("\x81\x63\xC3"));  // bytes that start no sequence
}

TEST(WideText, TellsWellFormedUtf8) {
  EXPECT_TRUE(IsUtf8("-crc=FFFE=0-FFFD"));
  EXPECT_TRUE(IsUtf8("\xE6\x97\xA5\xF0\x9F\x98\x80"));
  for (const char* text : {"\x93\xFA\x96\x7B",  // 日本 in Shift_JIS
                           "caf\xE9",           // café in Windows-1252
                           "\xC0\xAF",          // "/" in an overlong form
                           "\xED\xA0\x80",      // a surrogate
                           "\xF4\x90\x80\x80",  // above U+10FFFF
                           "\xE6\x97"}) {       // cut short
    EXPECT_FALSE(IsUtf8(text)) << text;
  }
}

}  // namespace
}  // namespace sumwright
