// SPDX-License-Identifier: MIT
// Runs of the real program that a signal meets: no temporary file left, no false status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kFirstLines[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n"
    ":10001000101112131415161718191A1B1C1D1E1F68\n";
constexpr char kOld[] = "previous output\n";

// Every linkat call fails: the program falls back from an unnamed temporary file (Linux's
// O_TMPFILE) to a named one. strace runs the program as its child and ends as the child did; the
// leak check cannot run under it.
constexpr char kNamedOnly[] =
    "env ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -e trace=linkat "
    "-e inject=linkat:error=ENOENT";

TEST(CliPosixSignals, SignalThatEndsTheRunLeavesNoTemporaryFile) {
  if (RunsWindowsProgram()) {
    GTEST_SKIP() << "Windows has no such signals; its console events cannot be sent under Wine";
  }
  enum Ending { Reported, SameSignal, Killed };
  struct Case {
    std::string what;
    int signal;
    bool reading;  // the program waits in reading its input (its temporary file exists),
                   // else in opening it (a FIFO without a writer)
    Ending ending;
  };
  std::vector<Case> cases = {
      {"SIGTERM while reading", SIGTERM, true, Reported},
      {"SIGHUP while reading", SIGHUP, true, Reported},
      {"SIGINT while reading", SIGINT, true, Reported},
      {"SIGTERM while opening the input", SIGTERM, false, Reported},
      {"SIGKILL while reading", SIGKILL, true, Killed},
  };
  for (int signal : {SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF, SIGPWR, SIGIO,
                     SIGSTKFLT, SIGRTMIN, SIGRTMAX}) {
    cases.push_back({strsignal(signal), signal, true, SameSignal});
  }
  for (bool named : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what + (named ? ", named temporary file" : ""));
      TempDir dir;
      dir.Write("out.hex", kOld);
      ASSERT_EQ(0, mkfifo(dir.Path("in.hex").c_str(), 0644));
      // Holding both ends, the test lets the program open the FIFO at once and read what it is
      // given, then wait for more.
      int feed = c.reading ? open(dir.Path("in.hex").c_str(), O_RDWR) : -1;
      CliSetup setup;
      setup.wrapper = named ? kNamedOnly : "";
      CliProcess process =
          StartSumwright(dir, {"in.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"}, setup);
      if (c.reading) {
        ASSERT_EQ(static_cast<ssize_t>(sizeof kFirstLines - 1),
                  write(feed, kFirstLines, sizeof kFirstLines - 1));
      }
      // Waiting in the read (its temporary file made) or the open, not on the way to it.
      pid_t pid = process.pid;
      EXPECT_TRUE(WaitFor([&] {
        pid = named ? FirstChild(process.pid) : process.pid;
        return ProcessName(pid) == "sumwright" && ProcessState(pid) == "S";
      }));
      if (!named) {
        EXPECT_EQ("in.hex\nout.hex\n", dir.Listing());  // an unnamed temporary file
      }
      usleep(50000);
      kill(pid, c.signal);
      // A signal that came just before the program began to wait is seen only with the next
      // one. A program that waits on through every signal is killed by the timeout (status -1).
      auto ended = [&] {
        std::string state = ProcessState(pid);
        return state == "Z" || state.empty();
      };
      for (int i = 0; c.ending != Killed && i < 4 && !WaitFor(ended, 2); ++i) {
        kill(pid, c.signal);
      }
      CliRun run = FinishSumwright(&process, 10);
      if (feed >= 0) {
        close(feed);
      }
      EXPECT_EQ(kOld, dir.Read("out.hex"));
      EXPECT_EQ(c.ending == Reported ? 1 : 128 + c.signal, run.status);
      EXPECT_EQ(Banner() + (c.ending == Reported ? kL3410 : ""), run.messages);
      // SIGKILL cannot be caught: a named temporary file stays, and says whose it is and that
      // it may be deleted.
      EXPECT_TRUE(std::regex_match(
          dir.Listing(),
          std::regex((named && c.ending == Killed ? "\\.sumwright-[0-9a-f]+-1\\.tmp\n" : "") +
                     std::string("in\\.hex\nout\\.hex\n"))))
          << dir.Listing();
    }
  }
}

// A shell starts background jobs with SIGINT ignored, nohup ignores SIGHUP: a signal ignored
// when the run starts stays ignored, and the run completes.
TEST(CliPosixSignals, SignalIgnoredAtTheStartStaysIgnored) {
  if (RunsWindowsProgram()) {
    GTEST_SKIP() << "Windows has no such signals";
  }
  for (int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    TempDir dir;
    ASSERT_EQ(0, mkfifo(dir.Path("in.hex").c_str(), 0644));
    int feed = open(dir.Path("in.hex").c_str(), O_RDWR);
    ASSERT_EQ(static_cast<ssize_t>(sizeof kFirstLines - 1),
              write(feed, kFirstLines, sizeof kFirstLines - 1));
    CliSetup setup;
    setup.before = "trap '' " + std::to_string(signal);
    setup.closeInherited = true;  // the program must not hold the FIFO's writing end itself
    CliProcess process =
        StartSumwright(dir, {"in.hex", "-crc=FFFE=0-FFFD", "-output=out.hex"}, setup);
    // Waiting for the rest of its input.
    EXPECT_TRUE(WaitFor([&] {
      return ProcessName(process.pid) == "sumwright" && ProcessState(process.pid) == "S";
    }));
    for (int i = 0; i < 3; ++i) {
      kill(process.pid, signal);
      usleep(20000);
    }
    const char end[] = ":00000001FF\n";
    ASSERT_EQ(static_cast<ssize_t>(sizeof end - 1), write(feed, end, sizeof end - 1));
    close(feed);
    CliRun run = FinishSumwright(&process, 10);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(Banner() + L0500(0xFFFE) + kCompletedEnd, run.messages);
    // The checksum and CRC as below.
    EXPECT_EQ(std::string(kFirstLines) + ":02FFFE00307859\n:00000001FF\n", dir.Read("out.hex"));
    EXPECT_EQ("in.hex\nout.hex\n", dir.Listing());
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
