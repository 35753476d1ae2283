// Tests of the unanchored, case-folding search for the leading characters of a pattern.
#include "options/find_text.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

TEST(FindText, FindsLeadingCharactersOfPatternAnywhereInText) {
  struct Case {
    const char* text;
    const char* pattern;
    size_t count;
    bool found;
    size_t position;
  };
  const Case cases[] = {
      {"-crc=100=0-FF", "-crc", 3, true, 0},
      {"-CRC=100=0-FF", "-crc", 3, true, 0},
      {"-Crc=1", "-crc", 3, true, 0},
      {"-cr", "-crc", 3, true, 0},
      // Only the leading characters are compared: "-c" is not enough for -crc.
      {"-c=100", "-crc", 3, false, 0},
      {"-ou=x", "-output", 3, true, 0},
      {"-o=x", "-output", 3, false, 0},
      // Unanchored: file names holding a hyphen look like options.
      {"my-prog.hex", "-", 1, true, 2},
      {"my-image.hex", "-input", 2, true, 2},
      {"a-e.hex", "-endian", 2, true, 1},
      {"-output=x-SuB.hex", "-subcommand", 3, true, 9},
      {"-output=x-crc.hex", "-crc", 3, true, 9},
      // A failed attempt restarts one character after where it began.
      {"--cr", "-crc", 3, true, 1},
      {"ababac", "abac", 4, true, 2},
      {"a=b=c", "=", 1, true, 1},
      {"a.b.mot", ".", 1, true, 1},
      {"prog", ".", 1, false, 0},
      {"", "-", 1, false, 0},
      // Only ASCII letters fold; other bytes must be equal.
      {"-\xC3\xA9", "-\xC3\x89", 3, false, 0},
      {"-[", "-{", 2, false, 0},
  };
  for (const Case& c : cases) {
    size_t position = 99;
    EXPECT_EQ(c.found, FindText(c.text, c.pattern, c.count, &position))
        << c.text << " / " << c.pattern;
    EXPECT_EQ(c.position, position) << c.text << " / " << c.pattern;
  }
}

TEST(FindText, NoPatternIsNeverFound) {
  size_t position = 99;
  EXPECT_FALSE(FindText("-crc", nullptr, 1, &position));
  EXPECT_EQ(0u, position);
}

}  // namespace
}  // namespace sumwright
