// Runs of the real program whose output cannot be completed: no file, an existing one untouched.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kAbort[] = "\nSumwright Abort\n";
constexpr char kSample[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n"
    ":00000001FF\n";

TEST(CliOutputFile, MissingDirectoryGivesL3300AndNoFile) {
  TempDir dir;
  dir.Write("app.hex", kSample);
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", "-output=missing/out.hex"});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Banner() + "** L3300 (F) Cannot Open File : \"missing/out.hex\"\n" + kAbort,
            run.messages);
  EXPECT_EQ("app.hex\n", dir.Listing());
}

TEST(CliOutputFile, NoPlaceForTheCodeFieldAbortsAndKeepsAnExistingFile) {
  TempDir dir;
  // No end-of-file record and all data below the code field.
  dir.Write("app.hex", ":10000000000102030405060708090A0B0C0D0E0F78\n");
  dir.Write("out.hex", "previous output\n");
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Banner() + kAbort, run.messages);
  EXPECT_EQ("previous output\n", dir.Read("out.hex"));
  EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
}

TEST(CliOutputFile, FailedWriteIsAnInternalErrorAndKeepsAnExistingFile) {
  TempDir dir;
  std::string input;
  for (int i = 0; i < 2000; ++i) {
    input += ":10000000000102030405060708090A0B0C0D0E0F78\n";
  }
  input += ":00000001FF\n";
  dir.Write("app.hex", input);
  dir.Write("out.hex", "previous output\n");
  // The shell limits the size of the files the program writes to a few kilobytes: writing
  // beyond it fails (EFBIG), and the program ignores the signal the system sends with that
  // failure. Windows has no such signal; under Wine the shell ignores it for the program.
  CliSetup setup;
  setup.before = RunsWindowsProgram() ? "trap '' XFSZ; ulimit -f 16" : "ulimit -f 16";
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"}, setup);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Banner() + "** L4000 (-) Internal error : \"(\"6\")\" \"83\" / \"(null)\"\n",
            run.messages);
  EXPECT_EQ("previous output\n", dir.Read("out.hex"));
  EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
}

}  // namespace
}  // namespace sumwright
