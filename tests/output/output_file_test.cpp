// Tests of the output file: complete or absent, never half written, an existing file untouched.
#include "output/output_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "base/interrupt.h"
#include "input/code_placement.h"
#include "input/hex_file.h"
#include "support/temp_dir.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace sumwright {
namespace {

constexpr char kInput[] = ":10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n";
constexpr char kOutput[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n:020100001234B7\n:00000001FF\n";

// A scanned input in a fresh directory, code address 0x100.
class OutputFileTest : public testing::Test {
 protected:
  void Scan(const std::string& input) {
    dir.Write("in", input);
    ClearCodePlacement();
    CrcCodeAddress = 0x100;
    ASSERT_TRUE(hexFile.ScanInput(dir.Path("in")));
  }
  bool Write(const std::string& name, std::string* messages) {
    testing::internal::CaptureStderr();
    bool written = hexFile.WriteOutput(dir.Path(name), 0x1234, BigEndian);
    *messages = testing::internal::GetCapturedStderr();
    return written;
  }

  TempDir dir;
  HexFile hexFile;
};

TEST_F(OutputFileTest, ReplacesAnExistingFileAndLeavesNothingElse) {
  Scan(kInput);
  dir.Write("out.hex", "older contents, longer than the new file will be ................");
  std::string messages;
  EXPECT_TRUE(Write("out.hex", &messages));
  EXPECT_EQ("** L0500 (I) Generated CRC code at \"0x00000100\"\n", messages);
  EXPECT_EQ(kOutput, dir.Read("out.hex"));
  EXPECT_EQ("in\nout.hex\n", dir.Listing());
}

TEST_F(OutputFileTest, WritingTwiceGivesTheSameFile) {
  Scan(kInput);
  std::string messages;
  EXPECT_TRUE(Write("one.hex", &messages));
  EXPECT_TRUE(Write("two.hex", &messages));
  EXPECT_EQ(kOutput, dir.Read("one.hex"));
  EXPECT_EQ(kOutput, dir.Read("two.hex"));
}

TEST_F(OutputFileTest, MissingDirectoryGivesL3300WithTheOutputName) {
  Scan(kInput);
  std::string messages;
  EXPECT_FALSE(Write("missing/out.hex", &messages));
  EXPECT_EQ("** L3300 (F) Cannot Open File : \"" + dir.Path("missing/out.hex") + "\"\n", messages);
  EXPECT_EQ("in\n", dir.Listing());
}

TEST_F(OutputFileTest, OutputNameOfADirectoryGivesL3300AndLeavesNoFile) {
  Scan(kInput);
  std::filesystem::create_directory(dir.Path("out.hex"));
  std::string messages;
  EXPECT_FALSE(Write("out.hex", &messages));
  EXPECT_EQ("** L3300 (F) Cannot Open File : \"" + dir.Path("out.hex") + "\"\n", messages);
  EXPECT_EQ("in\nout.hex\n", dir.Listing());
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("out.hex")));
}

TEST_F(OutputFileTest, NoPlaceForTheCodeFieldLeavesAnExistingFileUnchanged) {
  // No record lies after the code field: nothing to put the CRC in front of.
  Scan(":10000000000102030405060708090A0B0C0D0E0F78\n");
  dir.Write("out.hex", "previous output\n");
  std::string messages;
  EXPECT_FALSE(Write("out.hex", &messages));
  EXPECT_EQ("", messages);
  EXPECT_EQ("previous output\n", dir.Read("out.hex"));
  EXPECT_EQ("in\nout.hex\n", dir.Listing());
}

TEST_F(OutputFileTest, CtrlCWhileWritingRemovesTheTemporaryFile) {
  Scan(kInput);
  dir.Write("out.hex", "previous output\n");
  EXPECT_EXIT(
      {
        SetInterrupt(1);
        hexFile.WriteOutput(dir.Path("out.hex"), 0x1234, BigEndian);
      },
      testing::ExitedWithCode(1), "^\\*\\* L3410 \\(F\\) Interrupt by user$");
  EXPECT_EQ("previous output\n", dir.Read("out.hex"));
  EXPECT_EQ("in\nout.hex\n", dir.Listing());
}

#if !defined(_WIN32)
TEST_F(OutputFileTest, FailedWriteIsAnInternalErrorAndLeavesAnExistingFileUnchanged) {
  // 2000 data records: about 90 KB of output, far beyond the file size limit set below.
  std::string input;
  for (int i = 0; i < 2000; ++i) {
    input += ":10000000000102030405060708090A0B0C0D0E0F78\n";
  }
  input += ":00000001FF\n";
  Scan(input);
  dir.Write("out.hex", "previous output\n");
  EXPECT_EXIT(
      {
        // Writes beyond 8 KB fail with EFBIG instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        limit.rlim_cur = 8192;
        limit.rlim_max = 8192;
        setrlimit(RLIMIT_FSIZE, &limit);
        hexFile.WriteOutput(dir.Path("out.hex"), 0x1234, BigEndian);
      },
      testing::ExitedWithCode(1),
      "^\\*\\* L4000 \\(-\\) Internal error : \"\\(\"6\"\\)\" \"83\" / \"\\(null\\)\"\n$");
  EXPECT_EQ("previous output\n", dir.Read("out.hex"));
  EXPECT_EQ("in\nout.hex\n", dir.Listing());
}
#endif

}  // namespace
}  // namespace sumwright
