// Runs of the real program: the fixed texts of the run sequence.
#include <gtest/gtest.h>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

TEST(CliRunSequence, NoArgumentPrintsBannerAndUsageWithStatusZero) {
  TempDir dir;
  CliRun run = RunSumwright(dir, {});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.output);
  EXPECT_EQ(Banner() +
                "Usage: sumwright[ {<file name>| <option spec.>}...]\n"
                "                     <option spec.>:-<option>[=<parameter>[,...]]\n"
                "Options:\n"
                "--------------------------------- [OPTIONS] "
                "------------------------------------\n"
                "-CRc=<sub>\t\tGenerate a CRC code\n"
                "<sub>: <addr>=<start>-<end>[,\x81\x63][/{CCITT|16}]\n"
                "\n"
                "-OUtput=<file>\t\tSpecify an output file\n"
                "\n"
                "-Endian={big|little}\tSpecify the type of endian of a generated CRC code\n"
                "\n"
                "-SUbcommand=<file>\tSpecify a name of subcommand file\n",
            run.messages);
  EXPECT_EQ("", dir.Listing());
}

}  // namespace
}  // namespace sumwright
