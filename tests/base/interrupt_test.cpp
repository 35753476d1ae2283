// SPDX-License-Identifier: MIT
// Tests of the Ctrl+C flag, its poll, and the stages that poll it.
#include "base/interrupt.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "crc/crc_engine.h"
#include "input/input_scan.h"
#include "options/command_line.h"
#include "options/crc_option.h"
#include "output/output_driver.h"
#include "support/expected_messages.h"
#include "support/image_model.h"
#include "support/pipeline_run.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

class InterruptTest : public testing::Test {
 protected:
  void TearDown() override { ClearInterrupt(); }
};

// The second thread shares the output's write loops with the main thread: its polls must leave a
// raised flag alone for the main thread, which reports it once.
TEST_F(InterruptTest, OnlyTheMainThreadReportsAndEndsTheProcess) {
  EXPECT_EXIT(
      {
        RaiseInterrupt();
        std::thread second([] {
          LeavePollsToMainThread();
          PollInterrupt();
        });
        second.join();
        PollInterrupt();
      },
      testing::ExitedWithCode(1), Exactly(kL3410));
}

// A Ctrl+C that comes while the reported interrupt is ending the process (its cleanup runs)
// raises nothing: no second report, and no second end.
TEST_F(InterruptTest, CtrlCAfterTheReportIsNotReportedAgain) {
  InterruptFlag.store(InterruptState::Reported);
  RaiseInterrupt();
  PollInterrupt();
  EXPECT_EQ(InterruptState::Reported, InterruptFlag.load());
}

// About 880 KB of data records: the output writes more than it keeps in memory.
std::string ManyRecords() {
  return Lines(std::vector<std::string>(20000, ":10000000000102030405060708090A0B0C0D0E0F78")) +
         ":00000001FF\n";
}

TEST_F(InterruptTest, EveryStageEndsWithL3410AndStatusOneAndLeavesNoFile) {
  struct Case {
    const char* stage;
    std::function<void(const TempDir&)> run;  // presses Ctrl+C and runs on to the stage's poll
  };
  const Case cases[] = {
      {"the poll itself",
       [](const TempDir&) {
         RaiseInterrupt();
         PollInterrupt();
       }},
      {"collecting the arguments",
       [](const TempDir& dir) {
         std::string program = "sumwright";
         std::string input = dir.Path("out.hex");
         char* argv[] = {&program[0], &input[0], nullptr};
         OptionState state;
         RaiseInterrupt();
         ByteSource source;
         ParseCommandLine(2, argv, &state, &source);
       }},
      {"parsing the ranges",
       [](const TempDir&) {
         OptionState state;
         state.hasRangeText = true;
         state.rangeText = "0-FF";
         RaiseInterrupt();
         ParseRangeList(&state);
       }},
      {"opening the input scan",
       [](const TempDir&) {
         ByteSource source;
         SourceFromText(":00000001FF\n", &source);
         InputScan scan;
         RaiseInterrupt();
         OpenInputScan(&source, "in.hex", 0x100, &scan);
       }},
      {"computing the CRC of ascending records",
       [](const TempDir&) {
         CrcOfText(":0400000031323334FF\n", Ccitt, {{0, 0xFFFF}}, [] { RaiseInterrupt(); });
       }},
      {"computing the CRC of records read again",
       [](const TempDir&) {
         CrcOfText(":0200020033340A\n:0200000031325E\n", Ccitt, {{0, 0xFFFF}},
                   [] { RaiseInterrupt(); });
       }},
      // The temporary file beside the output, already holding the first chunk's records, goes.
      {"writing the output",
       [](const TempDir& dir) {
         const std::string input = ManyRecords();
         ByteSource source;
         SourceFromText(input, &source);
         InputScan scan;
         OpenInputScan(&source, "in.hex", 0x100, &scan);
         OutputWriter writer;
         OpenOutput(dir.Path("out.hex"), scan.format, 0x100, &writer);
         ScanBatch batch;
         ScanInput(&scan, &batch);
         WriteRecords(batch, &writer);
         RaiseInterrupt();
         ScanInput(&scan, &batch);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stage);
    TempDir dir;
    dir.Write("out.hex", "previous output\n");
    EXPECT_EXIT(c.run(dir), testing::ExitedWithCode(1), Exactly(kL3410));
    EXPECT_EQ("previous output\n", dir.Read("out.hex"));
    EXPECT_EQ("out.hex\n", dir.Listing());
  }
}

TEST_F(InterruptTest, TwoSignalsBeforeThePollGiveOneReport) {
  EXPECT_EXIT(
      {
        InstallInterruptHandler();
        std::raise(SIGINT);
        std::raise(SIGINT);
        PollInterrupt();
      },
      testing::ExitedWithCode(1), Exactly(kL3410));
}

}  // namespace
}  // namespace sumwright
