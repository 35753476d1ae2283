// SPDX-License-Identifier: MIT
// Tests of subcommand files: one token per line, appended at the place of the option.
#include "options/subcommand_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kL2003[] = "** L2003 (E) Subcommand option cannot be specified in subcommand file\n";

TEST(SubcommandFile, EachLineBecomesOneTokenWithOnlyItsLineEndRemoved) {
  struct Case {
    const char* name;
    std::string contents;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"one line", "-crc=FFFE=0-FFFD\n", {"-crc=FFFE=0-FFFD"}},
      {"no final line end", "app.hex\n-endian=little", {"app.hex", "-endian=little"}},
      {"CR LF line ends", "app.hex\r\n-endian=little\r\n", {"app.hex", "-endian=little"}},
      {"mixed line ends", "a\nb\r\nc", {"a", "b", "c"}},
      // Only the CR right before an LF belongs to the line end.
      {"lone CR stays", "a\rb\n c \t\r\r\n", {"a\rb", " c \t\r"}},
      {"final CR stays", "app.hex\r", {"app.hex\r"}},
      {"empty lines", "\n\r\n\n", {"", "", ""}},
      {"blanks kept", "  -crc=1=2-3  \n", {"  -crc=1=2-3  "}},
      // A UTF-8 byte order mark, as editors may write it, belongs to no line; only at the start.
      {"byte order mark",
       "\xEF\xBB\xBF"
       "app.hex\n\xEF\xBB\xBFx",
       {"app.hex", "\xEF\xBB\xBFx"}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("options.txt", c.contents);
    OptionState state;
    state.tokens = {"before"};
    testing::internal::CaptureStderr();
    EXPECT_TRUE(ReadSubcommandFile("-sub=" + dir.Path("options.txt"), &state)) << c.name;
    EXPECT_EQ("", testing::internal::GetCapturedStderr()) << c.name;
    std::vector<std::string> expected = {"before"};
    expected.insert(expected.end(), c.tokens.begin(), c.tokens.end());
    EXPECT_EQ(expected, state.tokens) << c.name;
    EXPECT_EQ(1u, state.subcommandCount) << c.name;
  }
}

TEST(SubcommandFile, LongLineIsNeverSplit) {
  std::string ranges;
  for (int i = 0; i < 300; ++i) {
    char item[16];
    std::snprintf(item, sizeof item, "%X-%X,", i * 0x10, i * 0x10 + 7);
    ranges += item;
  }
  std::string line = "-crc=FFFFFF=" + ranges + "FFF00-FFF0F/16";
  ASSERT_GT(line.size(), 2000u);
  TempDir dir;
  dir.Write("long.txt", line + "\r\nnext\n");
  OptionState state;
  EXPECT_TRUE(ReadSubcommandFile("-SUB=" + dir.Path("long.txt"), &state));
  EXPECT_EQ((std::vector<std::string>{line, "next"}), state.tokens);
}

TEST(SubcommandFile, LinesNamingSubcommandFilesAreReportedAndStillPassedOn) {
  TempDir dir;
  dir.Write("nested.txt", "-sub=other.txt\napp.hex\nx-SUBDIR.hex\n");
  OptionState state;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadSubcommandFile("-sub=" + dir.Path("nested.txt"), &state));
  EXPECT_EQ(std::string(kL2003) + kL2003, testing::internal::GetCapturedStderr());
  EXPECT_EQ((std::vector<std::string>{"-sub=other.txt", "app.hex", "x-SUBDIR.hex"}), state.tokens);
  EXPECT_EQ(0u, state.subcommandCount);
}

TEST(SubcommandFile, MissingFileNameIsL2010) {
  for (const char* token : {"-subcommand", "-sub=", "-SU"}) {
    OptionState state;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadSubcommandFile(token, &state)) << token;
    EXPECT_EQ("** L2010 (E) Option \"subcommand\" requires parameter\n",
              testing::internal::GetCapturedStderr())
        << token;
    EXPECT_TRUE(state.tokens.empty()) << token;
    EXPECT_EQ(0u, state.subcommandCount) << token;
  }
}

TEST(SubcommandFile, FileThatCannotBeReadAbortsOptionProcessing) {
  TempDir dir;
  dir.Write("a=b.txt", "app.hex\n");
  struct Case {
    std::string token;
    std::string name;
  };
  const Case cases[] = {
      {"-sub=" + dir.Path("missing.txt"), dir.Path("missing.txt")},
      // Everything after the first "=" is the name; nothing is trimmed.
      {"-sub=" + dir.Path("a=b.txt") + " ", dir.Path("a=b.txt") + " "},
      // A directory is not a file of options.
      {"-sub=" + dir.path(), dir.path()},
  };
  for (const Case& c : cases) {
    OptionState state;
    testing::internal::CaptureStderr();
    EXPECT_THROW(ReadSubcommandFile(c.token, &state), OptionAbort) << c.token;
    EXPECT_EQ("** L3300 (F) Cannot Open File : \"" + c.name + "\"\n",
              testing::internal::GetCapturedStderr())
        << c.token;
    EXPECT_TRUE(state.tokens.empty()) << c.token;
  }
  OptionState state;
  EXPECT_TRUE(ReadSubcommandFile("-sub=" + dir.Path("a=b.txt"), &state));
  EXPECT_EQ((std::vector<std::string>{"app.hex"}), state.tokens);
}

}  // namespace
}  // namespace sumwright
