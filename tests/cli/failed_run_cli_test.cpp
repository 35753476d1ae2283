// Runs of the real program that fail, at each stage: the status, the banner and the last line,
// and the files the directory holds afterwards. What each stage refuses, and with which message,
// is tested with the stage itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

// "123456789" at 0 to 8 and two erased bytes at 9 and 10.
constexpr char kImage[] = ":0B000000313233343536373839FFFF1A\n:00000001FF\n";
constexpr char kOld[] = "previous output\n";

// Many records, for a write that fails once the output has grown a few kilobytes; `last` ends
// the input.
std::string ManyRecords(int count = 2000, const char* last = ":00000001FF\n") {
  std::string input;
  for (int i = 0; i < count; ++i) {
    input += ":10000000000102030405060708090A0B0C0D0E0F78\n";
  }
  return input + last;
}

TEST(CliFailedRun, EndsWithStatusOneAndLeavesTheFilesAsTheyWere) {
  struct Case {
    const char* what;
    std::string input;  // of app.hex
    std::vector<std::string> arguments;
    std::string messages;     // after the banner, up to the end
    std::string shellBefore;  // run in the shell before the program
  };
  // The shell limits the size of the files the program writes to a few kilobytes: writing
  // beyond it fails (EFBIG), and the program ignores the signal the system sends with that
  // failure. Windows has no such signal; under Wine the shell ignores it for the program.
  const std::string smallFiles =
      RunsWindowsProgram() ? "trap '' XFSZ; ulimit -f 16" : "ulimit -f 16";
  const Case cases[] = {
      // Option processing ends at once.
      {"no input file", kImage, {"-crc=FFFE=0-FFFD"}, kL3000 + std::string(kAbortEnd), ""},
      {"a missing input file, after an option error",
       kImage,
       {"-crc=1=2-3", "missing.hex", "-x"},
       L2000("-x") + L3300("missing.hex") + kAbortEnd,
       ""},
      {"a subcommand file that cannot be opened",
       kImage,
       {"-x", "app.hex", "-output=x-sub.hex"},
       L3300("x-sub.hex") + kAbortEnd,
       ""},
      // Option processing reports every error, then fails.
      {"the output named as the input",
       kImage,
       {"app.hex", "-crc=FFFE=0-FFFD", "-output=./app.hex"},
       L2011("output", "./app.hex") + kAbortEnd,
       ""},
      // The ranges are examined once the command line was accepted.
      {"a range item that is no number",
       kImage,
       {"app.hex", "-crc=1000=/16"},
       L2012("16") + kAbortEnd,
       ""},
      {"a range that ends before it starts",
       kImage,
       {"app.hex", "-crc=1000=2FF-200"},
       L2013("crc", "0x00000200") + kAbortEnd,
       ""},
      {"ranges that overlap",
       kImage,
       {"app.hex", "-crc=1000=200-2FF,FF-1FF,0-FF"},
       L2022("000000FF-000000FF") + kAbortEnd,
       ""},
      {"an empty range list", kImage, {"app.hex", "-crc=1000=,,"}, kAbortEnd, ""},
      {"a range item of hyphens only", kImage, {"app.hex", "-crc=100=0-F,---"}, L4000(4, 103), ""},
      // The input scan.
      {"an input of no known form",
       "X" + std::string(kImage),
       {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"},
       L3304("app.hex") + kAbortEnd,
       ""},
      // The output.
      {"no record after the code field",
       ":10000000000102030405060708090A0B0C0D0E0F78\n",
       {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"},
       kAbortEnd,
       ""},
      {"an output in a missing directory",
       kImage,
       {"app.hex", "-crc=FFFE=0-FFFD", "-output=missing/out.hex"},
       L3300("missing/out.hex") + kAbortEnd,
       ""},
      {"a failed write",
       ManyRecords(),
       {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"},
       L4000(6, 83),
       smallFiles},
      // The whole input is scanned before a failed write is reported: a refused line in a
      // later chunk of the input (past 256 KiB) reports itself.
      {"a failed write, then a refused line far behind it",
       ManyRecords(7000, ":020000FF0000FF\n"),
       {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"},
       kL2008 + std::string(kAbortEnd),
       smallFiles},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Write("app.hex", c.input);
    dir.Write("out.hex", kOld);
    CliSetup setup;
    setup.before = c.shellBefore;
    CliRun run = RunSumwright(dir, c.arguments, setup);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.output);
    EXPECT_EQ(Banner() + c.messages, run.messages);
    EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
    EXPECT_EQ(c.input, dir.Read("app.hex"));
    EXPECT_EQ(kOld, dir.Read("out.hex"));
  }
}

}  // namespace
}  // namespace sumwright
