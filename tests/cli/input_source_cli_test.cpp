// Runs of the real program whose input is a pipe or a FIFO, which hand out their bytes once:
// the output must be the one the same input gives as a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#endif

namespace sumwright {
namespace {

#if !defined(_WIN32)

// About 900 KB of records of 16 bytes in blocks from the highest address down, so that the
// records do not ascend and the CRC reads the input a second time: beyond what a pipe holds at
// once and beyond one chunk of the scan. Intel HEX with an extended linear address record per
// block, or S3 records.
std::string DescendingBlocks(bool intelHex) {
  std::string text = intelHex ? "" : "S00600004844521B\n";
  char line[64];
  for (uint32_t block = 20; block-- > 0;) {
    uint32_t base = block << 16;
    if (intelHex) {
      std::snprintf(line, sizeof line, ":02000004%04X00\n", static_cast<unsigned>(block));
      text += line;
    }
    for (uint32_t offset = 0; offset < 0x4000; offset += 16) {
      std::string data;
      for (uint32_t i = 0; i < 16; ++i) {
        std::snprintf(line, sizeof line, "%02X",
                      static_cast<unsigned>((base + offset + i) * 7 % 251));
        data += line;
      }
      // Checksums are not read: 00 stands in for them.
      std::snprintf(line, sizeof line, intelHex ? ":10%04X00" : "S315%08X",
                    static_cast<unsigned>(intelHex ? offset : base + offset));
      text += line + data + "00\n";
    }
  }
  return text + (intelHex ? ":00000001FF\n" : "S70500000000FA\n");
}

// The arguments of a run over all the records of `input`.
std::vector<std::string> Arguments(const std::string& input) {
  return {input, "-crc=FFFFF0=0-13FFFF", "-output=out"};
}

// The output file "out" of a run that must have completed; removed for the next run.
std::string OutputOf(const TempDir& dir, const CliRun& run) {
  EXPECT_EQ(0, run.status) << run.messages;
  std::string output = dir.Read("out");
  std::remove(dir.Path("out").c_str());
  return output;
}

TEST(CliInputSource, PipeGivesTheOutputOfTheFile) {
  // The Windows program (run under Wine) has no /dev/stdin to name.
  if (RunsWindowsProgram()) {
    return;
  }
  for (bool intelHex : {true, false}) {
    TempDir dir;
    dir.Write("app", DescendingBlocks(intelHex));
    CliRun fileRun = RunSumwright(dir, Arguments("app"));
    std::string expected = OutputOf(dir, fileRun);
    CliSetup pipe;
    pipe.pipedInput = "app";
    CliRun pipeRun = RunSumwright(dir, Arguments("/dev/stdin"), pipe);
    EXPECT_EQ(fileRun.messages, pipeRun.messages);
    EXPECT_TRUE(expected == OutputOf(dir, pipeRun)) << "Intel HEX " << intelHex;
    EXPECT_EQ("app\n", dir.Listing());
  }
}

TEST(CliInputSource, PipeWithoutAScratchFileFailsOnlyWhenItIsReadAgain) {
  if (RunsWindowsProgram()) {
    return;
  }
  // No scratch file can be made in a missing directory: records that ascend need none, records
  // that do not are refused with the directory's name.
  const std::string ascending = ":0B000000313233343536373839FFFF1A\n:00000001FF\n";
  for (bool inOrder : {true, false}) {
    TempDir dir;
    dir.Write("app", inOrder ? ascending : DescendingBlocks(true));
    CliSetup pipe;
    pipe.pipedInput = "app";
    pipe.before = "export TMPDIR=" + ShellWord(dir.Path("missing"));
    const std::vector<std::string> arguments = {"/dev/stdin", "-crc=100=0-8", "-output=out"};
    CliRun run = RunSumwright(dir, arguments, pipe);
    if (inOrder) {
      // D64E: the published CRC-16/GENIBUS check value of "123456789".
      EXPECT_EQ(Banner() + L0500(0x100) + kCompletedEnd, run.messages);
      EXPECT_EQ(":0B000000313233343536373839FFFF1A\n:02010000D64ED9\n:00000001FF\n",
                dir.Read("out"));
    } else {
      EXPECT_EQ(Banner() + L3300(dir.Path("missing")) + kAbortEnd, run.messages);
      EXPECT_EQ("app\n", dir.Listing());
    }
  }
}

// Writes `text` into the FIFO `name` once a reader has opened it; gives up after 20 s.
void FeedFifo(const std::string& name, const std::string& text) {
  int descriptor = -1;
  for (int attempt = 0; attempt < 2000 && descriptor < 0; ++attempt) {
    descriptor = open(name.c_str(), O_WRONLY | O_NONBLOCK);
    if (descriptor < 0) {
      if (errno != ENXIO) {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  if (descriptor < 0) {
    return;
  }
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  for (size_t written = 0; written < text.size();) {
    ssize_t count = write(descriptor, text.data() + written, text.size() - written);
    if (count <= 0) {
      break;
    }
    written += static_cast<size_t>(count);
  }
  close(descriptor);
}

TEST(CliInputSource, FifoGivesTheOutputOfTheFile) {
  // The Windows program (run under Wine) does not read a FIFO.
  if (RunsWindowsProgram()) {
    return;
  }
  for (bool intelHex : {true, false}) {
    TempDir dir;
    const std::string text = DescendingBlocks(intelHex);
    dir.Write("app", text);
    ASSERT_EQ(0, mkfifo(dir.Path("app.fifo").c_str(), 0600));
    CliRun fileRun = RunSumwright(dir, Arguments("app"));
    std::string expected = OutputOf(dir, fileRun);
    std::thread feeder(FeedFifo, dir.Path("app.fifo"), text);
    CliRun fifoRun = RunSumwright(dir, Arguments("app.fifo"));
    feeder.join();
    EXPECT_EQ(fileRun.messages, fifoRun.messages);
    EXPECT_TRUE(expected == OutputOf(dir, fifoRun)) << "Intel HEX " << intelHex;
    EXPECT_EQ("app\napp.fifo\n", dir.Listing());
  }
}

#endif

}  // namespace
}  // namespace sumwright
