// Runs of the real program at its bounds: subcommand files too large to read, and memory that
// runs out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/cli_run.h"
#include "support/expected_messages.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

constexpr char kImage[] = ":0B000000313233343536373839FFFF1A\n:00000001FF\n";
// D64E: the published CRC-16/GENIBUS check value of "123456789".
constexpr char kOutput[] = ":0B000000313233343536373839D64EF4\n:00000001FF\n";

constexpr size_t kMostBytes = size_t{16} << 20;
constexpr size_t kMostLines = 65536;

// A subcommand file of `lines` lines and `bytes` bytes whose last line names the input: the
// lines before it are input names too, each replacing the one before.
std::string SubcommandFile(size_t lines, size_t bytes) {
  const std::string last = "app.hex\n";
  size_t fillers = lines - 1;
  size_t fillerBytes = bytes - last.size();
  std::string text;
  text.reserve(bytes);
  for (size_t i = 0; i < fillers; ++i) {
    // Spread the bytes over the lines; the first line takes what does not divide evenly.
    size_t length = fillerBytes / fillers + (i == 0 ? fillerBytes % fillers : 0);
    text.append(length - 1, 'x');
    text += '\n';
  }
  return text + last;
}

TEST(CliBounds, SubcommandFileBeyondItsBoundsIsRefusedBeforeItIsRead) {
  struct Case {
    const char* what;
    size_t lines;
    size_t bytes;
    bool accepted;
  };
  const Case cases[] = {
      {"at both bounds", kMostLines, kMostBytes, true},
      {"one byte more", kMostLines, kMostBytes + 1, false},
      {"one line more, few bytes", kMostLines + 1, 2 * kMostLines + 64, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Write("app.hex", kImage);
    dir.Write("opts.txt", SubcommandFile(c.lines, c.bytes));
    CliRun run = RunSumwright(dir, {"-subcommand=opts.txt", "-crc=9=0-8", "-output=out.hex"});
    if (c.accepted) {
      EXPECT_EQ(0, run.status);
      EXPECT_EQ(Banner() + L0500(9) + kCompletedEnd, run.messages);
      EXPECT_EQ(kOutput, dir.Read("out.hex"));
    } else {
      EXPECT_EQ(1, run.status);
      EXPECT_EQ(Banner() + L4000(0, 429), run.messages);
      EXPECT_EQ("app.hex\nopts.txt\n", dir.Listing());
    }
  }
}

TEST(CliBounds, SubcommandSourceThatNeverEndsIsCutOffAtTheBound) {
  TempDir dir;
  dir.Write("app.hex", kImage);
  // A FIFO that always has more zero bytes: what a device such as /dev/zero gives. The test
  // holds both of its ends, so that the program's open does not wait and the feeding never
  // meets a closed pipe.
  ASSERT_EQ(0, mkfifo(dir.Path("zero").c_str(), 0600));
  int feed = open(dir.Path("zero").c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(feed, 0);
  std::atomic<bool> stop{false};
  std::thread feeder([feed, &stop] {
    std::vector<char> zeros(size_t{1} << 16, '\0');
    while (!stop) {
      if (write(feed, zeros.data(), zeros.size()) < 0) {
        usleep(1000);  // full until the program reads on
      }
    }
  });
  CliRun run = RunSumwright(dir, {"app.hex", "-crc=9=0-8", "-subcommand=zero"});
  stop = true;
  feeder.join();
  close(feed);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Banner() + L4000(0, 429), run.messages);
  EXPECT_EQ("app.hex\nzero\n", dir.Listing());
}

// Under the address and thread sanitizers a limit on the address space stops the program before
// it starts: this test is built only without them.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SUMWRIGHT_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SUMWRIGHT_SANITIZED 1
#endif

#if !defined(SUMWRIGHT_SANITIZED)
TEST(CliPosixBounds, OutOfMemoryWhileReadingASubcommandFileIsAnInternalError) {
  if (RunsWindowsProgram()) {
    GTEST_SKIP() << "Wine does not start under a 16 MB address space limit";
  }
  TempDir dir;
  dir.Write("app.hex", kImage);
  // Within the bounds, but larger than the memory the program may have.
  dir.Write("opts.txt", SubcommandFile(16, 15u << 20));
  CliSetup setup;
  setup.before = "ulimit -v 16384";
  CliRun run = RunSumwright(dir, {"-subcommand=opts.txt", "-crc=9=0-8", "-output=out.hex"}, setup);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(Banner() + L4000(0, 429), run.messages);
  EXPECT_EQ("app.hex\nopts.txt\n", dir.Listing());
}
#endif

}  // namespace
}  // namespace sumwright
