// Runs of the real program that end in option processing or in the check of the -crc ranges.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kAbort[] = "\nSumwright Abort\n";
constexpr char kL2007[] = "** L2007 (E) Option \"crc\" is not specified\n";
constexpr char kImage[] = ":0B000000313233343536373839FFFF1A\n:00000001FF\n";

std::string L2011(const std::string& option, const std::string& text) {
  return "** L2011 (E) Invalid parameter specified in option \"" + option + "\" : \"" + text +
         "\"\n";
}
std::string L2013(const std::string& option, const std::string& text) {
  return "** L2013 (E) Invalid address value specified in option \"" + option + "\" : \"" + text +
         "\"\n";
}

// Every run here fails before the input is scanned: no file is written and nothing appears on
// the standard output.
void ExpectFailedRun(const TempDir& dir, const CliRun& run, const std::string& messages,
                     const std::string& listing) {
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.output);
  EXPECT_EQ(Banner() + messages, run.messages);
  EXPECT_EQ(listing, dir.Listing());
}

TEST(CliCommandLine, FileNamesHoldingHyphensAreOptionsAndAllErrorsAreReported) {
  TempDir dir;
  CliRun run = RunSumwright(
      dir, {"my-prog.hex", "my-image.hex", "a-e.hex", "-endian=Big", "-ou", "-crc=0x10=0-F"});
  ExpectFailedRun(dir, run,
                  "** L2000 (E) Invalid option : \"my-prog.hex\"\n"
                  "** L2002 (E) Iput option cannot be specified on command line\n"
                  "** L2010 (E) Option \"endian\" requires parameter\n" +
                      L2011("endian", "Big") +
                      "** L2010 (E) Option \"output\" requires parameter\n" + L2011("crc", "0x10") +
                      "** L3000 (F) No input file\n" + kAbort,
                  "");
}

TEST(CliCommandLine, OnlyACrcOptionGivesOneNoInputFileMessage) {
  TempDir dir;
  CliRun run = RunSumwright(dir, {"-crc=FFFE=0-FFFD"});
  ExpectFailedRun(dir, run, std::string("** L3000 (F) No input file\n") + kAbort, "");
}

TEST(CliCommandLine, MissingInputFileAbortsBeforeTheLaterChecks) {
  TempDir dir;
  CliRun run = RunSumwright(dir, {"-crc=1=2-3", "-crc=1=2-3", "missing.hex", "-x"});
  ExpectFailedRun(dir, run,
                  std::string("** L2000 (E) Invalid option : \"-x\"\n") +
                      "** L3300 (F) Cannot Open File : \"missing.hex\"\n" + kAbort,
                  "");
}

TEST(CliCommandLine, NoCrcOptionIsReportedAfterTheDuplicates) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  CliRun run = RunSumwright(dir, {"app.hex", "-e=big", "-E=LITTLE", "-OU=a.hex", "-Output=b.hex"});
  ExpectFailedRun(dir, run,
                  std::string("** L1007 (W) Duplication option : \"-output\"\n") +
                      "** L1007 (W) Duplication option : \"-endian\"\n" +
                      "** L2007 (E) Option \"crc\" is not specified\n" + kAbort,
                  "app.hex\n");
}

TEST(CliCommandLine, OutputThatIsTheInputFileIsRefused) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  for (const char* output : {"app.hex", "./app.hex"}) {
    CliRun run =
        RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", std::string("-output=") + output});
    ExpectFailedRun(dir, run, L2011("output", output) + kAbort, "app.hex\n");
    EXPECT_EQ(kImage, dir.Read("app.hex"));
  }
}

TEST(CliCommandLine, OutputNameHoldingCrIsTakenForACrcOption) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  CliRun run =
      RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", "-output=x-cr.hex", "-output=x-crc.hex"});
  ExpectFailedRun(dir, run, L2011("crc", "x-cr.hex") + L2013("-crc", "x-crc.hex") + kAbort,
                  "app.hex\n");
}

TEST(CliCommandLine, CrcErrorsEndTheRunBeforeTheInputIsScanned) {
  struct Case {
    const char* option;
    std::string messages;
  };
  const Case cases[] = {
      // A refused option leaves no -crc accepted.
      {"-crc=FFFFFFFF=0-FF", L2013("-crc", "FFFFFFFF") + kL2007},
      {"-crc=1000", L2011("crc", "1000") + kL2007},
      {"-crc", "** L2010 (E) Option \"crc\" requires parameter\n" + std::string(kL2007)},
      // The range list is examined only after the whole command line was accepted.
      {"-crc=1000=/16", "** L2012 (E) Invalid number specified in option \"crc\" : \"16\"\n"},
      {"-crc=1000=0-100000000", L2013("-crc", "100000000")},
      {"-crc=1000=100000000-0", L2013("crc", "100000000")},
      {"-crc=1000=2FF-200", L2013("crc", "0x00000200")},
      {"-crc=100=0-1FF",
       "** L2022 (E) Address ranges overlap in option \"crc\" : \"00000100-00000101\"\n"},
      {"-crc=1000=200-2FF,FF-1FF,0-FF",
       "** L2022 (E) Address ranges overlap in option \"crc\" : \"000000FF-000000FF\"\n"},
      // An empty range list is refused without a message of its own.
      {"-crc=1000=,,", ""},
  };
  TempDir dir;
  dir.Write("app.hex", kImage);
  for (const Case& c : cases) {
    CliRun run = RunSumwright(dir, {"app.hex", c.option});
    ExpectFailedRun(dir, run, c.messages + kAbort, "app.hex\n");
  }
}

TEST(CliCommandLine, RangeItemOfHyphensOnlyIsAnInternalError) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=100=0-F,---"});
  ExpectFailedRun(dir, run, "** L4000 (-) Internal error : \"(\"4\")\" \"103\" / \"(null)\"\n",
                  "app.hex\n");
}

}  // namespace
}  // namespace sumwright
