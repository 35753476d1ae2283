// Tests of the Ctrl+C flag and its poll.
#include "base/interrupt.h"

#include <gtest/gtest.h>

#include <csignal>

namespace sumwright {
namespace {

class InterruptTest : public testing::Test {
 protected:
  void TearDown() override { SetInterrupt(0); }
};

TEST_F(InterruptTest, FlagMovesFromIdleToSeenOnlyOnce) {
  struct Case {
    int before;
    int value;
    int after;
  };
  const Case cases[] = {{0, 1, 1}, {1, 1, 1}, {2, 1, 2}, {1, 0, 0}, {2, 5, 0}};
  for (const Case& c : cases) {
    InterruptFlag.store(c.before);
    SetInterrupt(c.value);
    EXPECT_EQ(c.after, InterruptFlag.load()) << c.before << " then " << c.value;
  }
}

TEST_F(InterruptTest, PollWithoutCtrlCReturns) {
  PollInterrupt();
  InterruptFlag.store(2);
  PollInterrupt();
  SUCCEED();
}

TEST_F(InterruptTest, PollAfterCtrlCPrintsL3410WithoutLineEndAndEndsWithStatusOne) {
  EXPECT_EXIT(
      {
        SetInterrupt(1);
        PollInterrupt();
      },
      testing::ExitedWithCode(1), "^\\*\\* L3410 \\(F\\) Interrupt by user$");
}

TEST_F(InterruptTest, TwoSignalsBeforeThePollGiveOneReport) {
  EXPECT_EXIT(
      {
        InstallInterruptHandler();
        std::raise(SIGINT);
        std::raise(SIGINT);
        PollInterrupt();
      },
      testing::ExitedWithCode(1), "^\\*\\* L3410 \\(F\\) Interrupt by user$");
}

}  // namespace
}  // namespace sumwright
