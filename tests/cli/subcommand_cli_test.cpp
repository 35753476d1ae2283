// Runs of the real program with subcommand files.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kAbort[] = "\nSumwright Abort\n";
constexpr char kImage[] = ":0B000000313233343536373839FFFF1A\n:00000001FF\n";

std::string L2011(const std::string& option, const std::string& text) {
  return "** L2011 (E) Invalid parameter specified in option \"" + option + "\" : \"" + text +
         "\"\n";
}

void ExpectFailedRun(const TempDir& dir, const CliRun& run, const std::string& messages,
                     const std::string& listing) {
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.output);
  EXPECT_EQ(Banner() + messages, run.messages);
  EXPECT_EQ(listing, dir.Listing());
}

TEST(CliSubcommand, LinesAreExaminedAtThePlaceOfTheOption) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  dir.Write("opts.txt", "-e=second\r\napp.hex\r\n-crc=100=0-1FF");
  CliRun run = RunSumwright(dir, {"-e=first", "-sub=opts.txt", "-e=third"});
  ExpectFailedRun(
      dir, run,
      L2011("endian", "first") + L2011("endian", "second") + L2011("endian", "third") + kAbort,
      "app.hex\nopts.txt\n");
}

TEST(CliSubcommand, LineBlanksStayPartOfTheToken) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  dir.Write("endian.txt", "app.hex\n-endian=little \n-crc=FFFE=0-FFFD\n");
  CliRun run = RunSumwright(dir, {"-SUBCOMMAND=endian.txt"});
  ExpectFailedRun(dir, run, L2011("endian", "little ") + kAbort, "app.hex\nendian.txt\n");
  // Range items are checked after the whole command line was accepted.
  dir.Write("crc.txt", "app.hex\r\n-crc=1000= 0-FF\r\n");
  run = RunSumwright(dir, {"-sub=crc.txt"});
  ExpectFailedRun(dir, run, L2011("crc", " 0") + kAbort, "app.hex\ncrc.txt\nendian.txt\n");
}

TEST(CliSubcommand, LongRangeListLineIsOneToken) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  std::string ranges;
  for (int i = 0; i < 100; ++i) {
    ranges += std::to_string(i) + "0-" + std::to_string(i) + "7,";
  }
  // The last range holds the code address: only seen when the line is read whole.
  dir.Write("opts.txt", "app.hex\n-crc=FFF0=" + ranges + "FFE0-FFFF\n");
  CliRun run = RunSumwright(dir, {"-sub=opts.txt"});
  ExpectFailedRun(
      dir, run,
      "** L2022 (E) Address ranges overlap in option \"crc\" : \"0000FFF0-0000FFF1\"\n" +
          std::string(kAbort),
      "app.hex\nopts.txt\n");
}

TEST(CliSubcommand, NestedSubcommandIsReportedAndStillExamined) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  dir.Write("opts.txt", "app.hex\n-sub=other.txt\n-crc=FFFE=0-FFFD\n");
  CliRun run = RunSumwright(dir, {"-sub=opts.txt"});
  ExpectFailedRun(
      dir, run,
      std::string("** L2003 (E) Subcommand option cannot be specified in subcommand file\n") +
          "** L2000 (E) Invalid option : \"-sub=other.txt\"\n" + kAbort,
      "app.hex\nopts.txt\n");
}

TEST(CliSubcommand, MissingFileNameIsReportedAndTheRestExamined) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  CliRun run = RunSumwright(dir, {"-sub", "-Su=", "app.hex", "-x"});
  ExpectFailedRun(dir, run,
                  std::string("** L2010 (E) Option \"subcommand\" requires parameter\n") +
                      "** L2010 (E) Option \"subcommand\" requires parameter\n" +
                      "** L2000 (E) Invalid option : \"-x\"\n" +
                      "** L2007 (E) Option \"crc\" is not specified\n" + kAbort,
                  "app.hex\n");
}

TEST(CliSubcommand, FileThatCannotBeOpenedAbortsAtOnce) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  // An -output option whose file name holds "-sub" names a subcommand file.
  CliRun run = RunSumwright(dir, {"-x", "app.hex", "-output=x-sub.hex", "-y"});
  ExpectFailedRun(dir, run, std::string("** L3300 (F) Cannot Open File : \"x-sub.hex\"\n") + kAbort,
                  "app.hex\n");
}

TEST(CliSubcommand, TwoFilesGiveOneDuplicationWarning) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  dir.Write("one.txt", "app.hex\n");
  dir.Write("empty.txt", "");
  CliRun run = RunSumwright(dir, {"-sub=one.txt", "-sub=empty.txt", "-sub=empty.txt"});
  ExpectFailedRun(dir, run,
                  std::string("** L1007 (W) Duplication option : \"-subcommand\"\n") +
                      "** L2007 (E) Option \"crc\" is not specified\n" + kAbort,
                  "app.hex\nempty.txt\none.txt\n");
}

}  // namespace
}  // namespace sumwright
