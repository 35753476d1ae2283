// SPDX-License-Identifier: MIT
// Tests of the conversions between UTF-8 and UTF-16 and of the UTF-8 check.
#include "base/wide_text.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

// Encodings from the Unicode code charts: U+65E5 日, U+D55C 한, U+1F600 😀.
TEST(WideText, ConvertsEveryUtf16NameBothWays) {
  const struct {
    std::u16string units;
    std::string text;
  } cases[] = {
      {u"app.hex", "app.hex"},
      {u"caf\u00E9", "caf\xC3\xA9"},
      {u"\u65E5\\\uD55C", "\xE6\x97\xA5\\\xED\x95\x9C"},
      {u"\xD83D\xDE00.hex", "\xF0\x9F\x98\x80.hex"},
      // A surrogate without its partner, which a Windows name may hold, keeps its value.
      {u"a\xD800", "a\xED\xA0\x80"},
      {u"\xDC00z", "\xED\xB0\x80z"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, TextFromUtf16(c.units)) << c.text;
    EXPECT_EQ(c.units, TextToUtf16(c.text)) << c.text;
  }
  // Bytes that start no sequence each stand for U+FFFD.
  EXPECT_EQ(u"\uFFFDc\uFFFD", TextToUtf16("\x81\x63\xC3"));
}

TEST(WideText, TellsWellFormedUtf8) {
  const struct {
    const char* text;
    bool utf8;
  } cases[] = {
      {"-crc=FFFE=0-FFFD", true},  {"\xE6\x97\xA5\xF0\x9F\x98\x80", true},
      {"\x93\xFA\x96\x7B", false},  // 日本 in Shift_JIS
      {"caf\xE9", false},           // café in Windows-1252
      {"\xC0\xAF", false},          // "/" in an overlong form
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xE6\x97", false},          // cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.utf8, IsUtf8(c.text)) << c.text;
  }
}

}  // namespace
}  // namespace sumwright
