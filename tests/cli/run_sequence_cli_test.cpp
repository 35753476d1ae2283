// Runs of the real program: the fixed texts of the run sequence.
#include <gtest/gtest.h>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

TEST(CliRunSequence, NoArgumentPrintsBannerAndUsageWithStatusZero) {
  TempDir dir;
  CliRun run = RunSumwright(dir, {});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.output);
  EXPECT_EQ(Banner() + kUsage, run.messages);
  EXPECT_EQ("", dir.Listing());
}

}  // namespace
}  // namespace sumwright
