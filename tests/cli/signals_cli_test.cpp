// Runs of the real program that a signal meets: no temporary file left, no false status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kFirstLines[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n";
constexpr char kOld[] = "previous output\n";

TEST(CliPosixSignals, RequestToEndRemovesTheTemporaryFile) {
  if (RunsWindowsProgram()) {
    GTEST_SKIP() << "Windows has no such signals; its console events cannot be sent under Wine";
  }
  struct Case {
    const char* what;
    int signal;
    bool reading;  // the program waits in reading its input (its temporary file exists),
                   // else in opening it (a FIFO without a writer)
    bool caught;   // else the signal cannot be caught and the temporary file stays
  };
  const Case cases[] = {
      {"SIGTERM while reading", SIGTERM, true, true},
      {"SIGHUP while reading", SIGHUP, true, true},
      {"SIGINT while reading", SIGINT, true, true},
      {"SIGTERM while opening the input", SIGTERM, false, true},
      {"SIGKILL while reading", SIGKILL, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Write("out.hex", kOld);
    ASSERT_EQ(0, mkfifo(dir.Path("in.hex").c_str(), 0644));
    // Holding both ends, the test lets the program open the FIFO at once and read what it is
    // given, then wait for more.
    int feed = c.reading ? open(dir.Path("in.hex").c_str(), O_RDWR) : -1;
    CliProcess process = StartSumwright(dir, {"in.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"});
    if (c.reading) {
      ASSERT_EQ(static_cast<ssize_t>(sizeof kFirstLines - 1),
                write(feed, kFirstLines, sizeof kFirstLines - 1));
      EXPECT_TRUE(WaitFor([&] { return dir.Listing().find(".sumwright-") != std::string::npos; }));
    }
    // Waiting in the read or the open, not on the way to it.
    EXPECT_TRUE(WaitFor([&] {
      return ProcessName(process.pid) == "sumwright" && ProcessState(process.pid) == "S";
    }));
    usleep(50000);
    kill(process.pid, c.signal);
    // A signal that came just before the program began to wait is seen only with the next one.
    // A program that waits on through every signal is killed by the timeout (status -1).
    auto ended = [&] {
      std::string state = ProcessState(process.pid);
      return state == "Z" || state.empty();
    };
    for (int i = 0; c.caught && i < 4 && !WaitFor(ended, 2); ++i) {
      kill(process.pid, c.signal);
    }
    CliRun run = FinishSumwright(&process, 10);
    if (feed >= 0) {
      close(feed);
    }
    EXPECT_EQ(kOld, dir.Read("out.hex"));
    if (c.caught) {
      EXPECT_EQ(1, run.status);
      EXPECT_EQ(Banner() + kL3410, run.messages);
      EXPECT_EQ("in.hex\nout.hex\n", dir.Listing());
    } else {
      // What is left says whose it is and that it may be deleted.
      EXPECT_EQ(128 + SIGKILL, run.status);
      EXPECT_TRUE(std::regex_match(
          dir.Listing(), std::regex("\\.sumwright-[0-9a-f]+-1\\.tmp\nin\\.hex\nout\\.hex\n")))
          << dir.Listing();
    }
  }
}

TEST(CliSignals, ClosedErrorStreamKeepsACompletedRun) {
  TempDir dir;
  dir.Write("app.hex", std::string(kFirstLines) + ":00000001FF\n");
  int ends[2];
  ASSERT_EQ(0, pipe(ends));
  close(ends[0]);
  CliSetup setup;
  setup.redirects = "2>&" + std::to_string(ends[1]);
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"}, setup);
  close(ends[1]);
  EXPECT_EQ(0, run.status);
  // CRC-16/GENIBUS of the bytes 00 to 1F followed by FF up to FFFD is 3078 (Python's crcmod);
  // the record's checksum is worked out by hand.
  EXPECT_EQ(std::string(kFirstLines) + ":02FFFE00307859\n:00000001FF\n", dir.Read("out.hex"));
  EXPECT_EQ("app.hex\nout.hex\n", dir.Listing());
}

}  // namespace
}  // namespace sumwright
