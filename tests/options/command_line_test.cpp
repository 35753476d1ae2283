// Tests of the command line: option recognition, error counting and the final checks.
#include "options/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh directory that holds the input file app.hex.
class CommandLine : public testing::Test {
 protected:
  void SetUp() override {
    previous = fs::current_path();
    fs::current_path(dir.path());
    dir.Write("app.hex", ":00000001FF\n");
  }
  void TearDown() override { fs::current_path(previous); }

  // ParseCommandLine with the program name and `arguments`; *messages gets what it printed.
  // *aborted tells whether it raised the option abort.
  bool Parse(const std::vector<std::string>& arguments, std::string* messages,
             bool* aborted = nullptr) {
    std::vector<std::string> words = {"sumwright"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    bool accepted = false;
    bool thrown = false;
    testing::internal::CaptureStderr();
    try {
      accepted = ParseCommandLine(static_cast<int>(words.size()), argv.data(), &state, &input);
    } catch (const OptionAbort&) {
      thrown = true;
    }
    *messages = testing::internal::GetCapturedStderr();
    if (aborted != nullptr) {
      *aborted = thrown;
    } else {
      EXPECT_FALSE(thrown);
    }
    return accepted;
  }

  TempDir dir;
  fs::path previous;
  OptionState state;
  ByteSource input;
};

TEST_F(CommandLine, ValidOptionsFillTheOptionState) {
  std::string messages;
  EXPECT_TRUE(
      Parse({"-CRC=FFFE=0-FFFD/16", "app.hex", "-OUTPUT=out=1.hex", "-E=LITTLE"}, &messages));
  EXPECT_EQ("", messages);
  EXPECT_EQ("app.hex", state.inputName);
  EXPECT_EQ("out=1.hex", state.outputName);
  EXPECT_EQ(LittleEndian, state.byteOrder);
  EXPECT_EQ(0xFFFEu, state.codeAddress);
  EXPECT_EQ("0-FFFD", state.rangeText);
  EXPECT_EQ(Crc16, state.crcAlgorithm);
  EXPECT_TRUE(state.ranges.empty());
}

TEST_F(CommandLine, EachTokenIsClassifiedByTheFirstOptionNameFoundInIt) {
  struct Case {
    const char* token;
    bool accepted;
    std::string messages;
  };
  const Case cases[] = {
      // Accepted, and a second -crc beside the one every case holds.
      {"-Crc=1000=0-FF", true, L1007("-crc")},
      {"-cr=1000=0-FF", true, L1007("-crc")},
      {"-c=1000=0-FF", false, L2000("-c=1000=0-FF")},
      {"-ENDIAN=big", true, ""},
      {"-e=little", true, ""},
      {"-E=BIG", true, ""},
      {"-endian=Big", false, L2011("endian", "Big")},
      {"-endian=big ", false, L2011("endian", "big ")},
      {"-endian", false, L2010("endian")},
      {"-endian=", false, L2010("endian")},
      {"-Output=x.hex", true, ""},
      {"-ou", false, L2010("output")},
      {"-output=", false, L2010("output")},
      {"-o=x.hex", false, L2000("-o=x.hex")},
      {"-input=app.hex", false, kL2002},
      {"my-image.hex", false, kL2002},
      {"my-prog.hex", false, L2000("my-prog.hex")},
      {"a-e.hex", false, L2010("endian")},
      {"-", false, L2000("-")},
      {"-output=x-cr.hex", false, L2011("crc", "x-cr.hex")},
  };
  for (const Case& c : cases) {
    state = OptionState();
    std::string messages;
    EXPECT_EQ(c.accepted, Parse({"app.hex", "-crc=1000=0-FF", c.token}, &messages)) << c.token;
    EXPECT_EQ(c.messages, messages) << c.token;
  }
}

TEST_F(CommandLine, EveryOptionErrorIsReportedBeforeTheRunFails) {
  // A subcommand option is read while the tokens are collected, before any is examined; the
  // duplicates are warned of before the missing -crc is reported.
  std::string messages;
  EXPECT_FALSE(Parse(
      {"-endian=middle", "-x", "app.hex", "-output", "-crc=1000", "-e=big", "-E=LITTLE", "-Su="},
      &messages));
  EXPECT_EQ(L2010("subcommand") + L2011("endian", "middle") + L2000("-x") + L2010("output") +
                L2011("crc", "1000") + L1007("-endian") + kL2007,
            messages);
  EXPECT_EQ("app_1.hex", state.outputName);
}

TEST_F(CommandLine, LastFileNameIsTheInputFile) {
  dir.Write("second.hex", ":00000001FF\n");
  std::string messages;
  EXPECT_TRUE(Parse({"missing.hex", "-crc=1000=0-FF", "second.hex"}, &messages));
  EXPECT_EQ("", messages);
  EXPECT_EQ("second.hex", state.inputName);
  EXPECT_EQ("second_1.hex", state.outputName);
}

TEST_F(CommandLine, LastAcceptedValuesWinAndDuplicatesAreWarnedOncePerOption) {
  dir.Write("one.txt", "-e=big\n");
  dir.Write("two.txt", "-ou=b.hex\n");
  std::string messages;
  EXPECT_FALSE(Parse({"-crc=10=0-F", "-crc=20=0-1F", "-crc=30=0-2F", "-sub=one.txt", "-e=little",
                      "-sub=two.txt", "-output=a.hex", "-endian=wrong", "app.hex"},
                     &messages));
  EXPECT_EQ(L2011("endian", "wrong") + L1007("-crc") + L1007("-output") + L1007("-endian") +
                L1007("-subcommand"),
            messages);
  EXPECT_EQ(0x30u, state.codeAddress);
  EXPECT_EQ("a.hex", state.outputName);
  EXPECT_EQ(LittleEndian, state.byteOrder);
}

TEST_F(CommandLine, OutputNameIsDerivedBeforeTheFirstDotOfTheFileName) {
  fs::create_directories("v1.2");
  fs::create_directories("dir.d");
  struct Case {
    const char* input;
    const char* output;
  };
  const Case cases[] = {
      {"prog.hex", "prog_1.hex"},
      {"a.b.mot", "a_1.b.mot"},
      {"prog", "prog_1"},
      {"./app.hex", "./app_1.hex"},
      {"v1.2/prog", "v1.2/prog_1"},
      {"dir.d/x.y.s19", "dir.d/x_1.y.s19"},
      {"dir.d\\prog", "dir.d\\prog_1"},
      {".hex", "_1.hex"},
      {"", "_1"},
  };
  for (const Case& c : cases) {
    OptionState derived;
    derived.hasInputName = true;
    derived.inputName = c.input;
    DeriveOutputName(&derived);
    EXPECT_EQ(c.output, derived.outputName) << c.input;
    EXPECT_EQ(0u, derived.outputCount) << c.input;
  }
  dir.Write("v1.2/prog", ":00000001FF\n");
  std::string messages;
  EXPECT_TRUE(Parse({"v1.2/prog", "-crc=1000=0-FF"}, &messages));
  EXPECT_EQ("v1.2/prog_1", state.outputName);
}

TEST_F(CommandLine, OutputNamingTheInputFileIsRefused) {
  fs::create_symlink("app.hex", "link.hex");
  fs::create_directories("sub");
  struct Case {
    std::vector<std::string> arguments;
    std::string messages;
  };
  const Case cases[] = {
      {{"app.hex", "-output=app.hex"}, L2011("output", "app.hex")},
      {{"app.hex", "-output=./app.hex"}, L2011("output", "./app.hex")},
      {{"app.hex", "-output=sub/../app.hex"}, L2011("output", "sub/../app.hex")},
      {{"app.hex", "-output=link.hex"}, L2011("output", "link.hex")},
      {{"link.hex", "-output=app.hex"}, L2011("output", "app.hex")},
      {{"app.hex", "-output=" + (fs::current_path() / "app.hex").string()},
       L2011("output", (fs::current_path() / "app.hex").string())},
      // Another file, even one that differs only in letter case here, is a fine output.
      {{"app.hex", "-output=APP.hex"}, ""},
      {{"app.hex", "-output=sub/app.hex"}, ""},
  };
  for (const Case& c : cases) {
    state = OptionState();
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back("-crc=1000=0-FF");
    std::string messages;
    EXPECT_EQ(c.messages.empty(), Parse(arguments, &messages)) << c.arguments[1];
    EXPECT_EQ(c.messages, messages) << c.arguments[1];
  }
}

TEST_F(CommandLine, DerivedOutputNamingTheInputFileIsRefused) {
  fs::create_symlink("app.hex", "app_1.hex");
  std::string messages;
  EXPECT_FALSE(Parse({"app.hex", "-crc=1000=0-FF"}, &messages));
  EXPECT_EQ(L2011("output", "app_1.hex"), messages);
}

TEST_F(CommandLine, MissingOrUnopenableFileAbortsBeforeTheLaterChecks) {
  fs::create_directories("folder.hex");
  struct Case {
    std::vector<std::string> arguments;
    std::string messages;
  };
  const Case cases[] = {
      {{"-crc=1000=0-FF"}, kL3000},
      {{"-crc=1000=0-FF", "-crc=1000=0-FF", "-output=x.hex"}, kL3000},
      {{"-x", "-output=x.hex"}, L2000("-x") + kL3000},
      {{"missing.hex", "-crc=1000=0-FF", "-crc=1000=0-FF"}, L3300("missing.hex")},
      {{"missing.hex"}, L3300("missing.hex")},
      {{"folder.hex", "-crc=1000=0-FF"}, L3300("folder.hex")},
      {{"missing.hex", "-output=missing.hex"}, L3300("missing.hex")},
      // A subcommand file (any token holding "-sub") is read before a token is examined.
      {{"-x", "app.hex", "-output=x-sub.hex", "-y"}, L3300("x-sub.hex")},
  };
  for (const Case& c : cases) {
    state = OptionState();
    std::string messages;
    bool aborted = false;
    EXPECT_FALSE(Parse(c.arguments, &messages, &aborted)) << c.arguments[0];
    EXPECT_TRUE(aborted) << c.arguments[0];
    EXPECT_EQ(c.messages, messages) << c.arguments[0];
  }
}

TEST_F(CommandLine, SubcommandLinesAreExaminedAtThePlaceOfTheOption) {
  dir.Write("options.txt", "-e=second\r\n-crc=1000=0-FF\r\n\r\n");
  std::string messages;
  bool aborted = false;
  // The empty last line is a file name and replaces app.hex.
  EXPECT_FALSE(Parse({"-e=first", "app.hex", "-sub=options.txt", "-e=third"}, &messages, &aborted));
  EXPECT_TRUE(aborted);
  EXPECT_EQ(
      L2011("endian", "first") + L2011("endian", "second") + L2011("endian", "third") + L3300(""),
      messages);
  EXPECT_EQ((std::vector<std::string>{"-e=first", "app.hex", "-e=second", "-crc=1000=0-FF", "",
                                      "-e=third"}),
            state.tokens);
}

TEST_F(CommandLine, NestedSubcommandIsReportedAndThenRefusedAsAnOption) {
  dir.Write("options.txt", "app.hex\n-sub=other.txt\n-crc=FFFE=0-FFFD\n");
  std::string messages;
  EXPECT_FALSE(Parse({"-sub=options.txt"}, &messages));
  EXPECT_EQ(kL2003 + L2000("-sub=other.txt"), messages);
}

TEST_F(CommandLine, AnyTokenHoldingSubIsASubcommandOption) {
  dir.Write("x-sub.hex", "-crc=1000=0-FF\n");
  std::string messages;
  EXPECT_TRUE(Parse({"app.hex", "-output=x-sub.hex"}, &messages));
  EXPECT_EQ("", messages);
  EXPECT_EQ(0u, state.outputCount);
  EXPECT_EQ(1u, state.subcommandCount);
  EXPECT_EQ("app_1.hex", state.outputName);
}

TEST_F(CommandLine, OutputNameHoldingNulByteIsRefused) {
  dir.Write("options.txt", std::string("-output=out.hex\0.bin\n", 21));
  std::string messages;
  EXPECT_FALSE(Parse({"app.hex", "-crc=1000=0-FF", "-sub=options.txt"}, &messages));
  EXPECT_EQ(L2011("output", "out.hex"), messages);
}

TEST_F(CommandLine, InputNameHoldingNulByteCannotBeOpened) {
  dir.Write("options.txt", std::string("app.hex\0.bin\n", 13));
  std::string messages;
  bool aborted = false;
  EXPECT_FALSE(Parse({"-crc=1000=0-FF", "-sub=options.txt"}, &messages, &aborted));
  EXPECT_TRUE(aborted);
  EXPECT_EQ(L3300("app.hex"), messages);
}

TEST_F(CommandLine, NoArgumentPrintsUsageAndEndsWithStatusZero) {
  char program[] = "sumwright";
  char* argv[] = {program, nullptr};
  EXPECT_EXIT(ParseCommandLine(1, argv, &state, &input), testing::ExitedWithCode(0),
              Exactly(kUsage));
}

}  // namespace
}  // namespace sumwright
