// Tests of the output file: complete or absent, never half written, an existing file untouched;
// and its corrections of bytes already written.
#include "output/output_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/expected_messages.h"
#include "support/image_model.h"
#include "support/pipeline_run.h"
#include "support/temp_dir.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace sumwright {
namespace {

// The code field at 0x100 lies above the data: the CRC record goes before the end record.
constexpr char kInput[] = ":10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n";
constexpr char kOutput[] =
    ":10000000000102030405060708090A0B0C0D0E0F78\n:020100001234B7\n:00000001FF\n";

// About 880 KB of data records: more than the output keeps in memory before writing.
std::string ManyRecords() {
  return Lines(std::vector<std::string>(20000, ":10000000000102030405060708090A0B0C0D0E0F78"));
}

TEST(OutputFile, ReplacesAnExistingFileAndLeavesNothingElse) {
  TempDir dir;
  dir.Write("out.hex", "older contents, longer than the new file will be ................");
  WriteRun run = WriteThrough(dir, kInput, 0x100, 0x1234, BigEndian);
  EXPECT_TRUE(run.written);
  EXPECT_EQ(L0500(0x100), run.messages);
  EXPECT_EQ(kOutput, run.output);
  EXPECT_EQ("out.hex\n", run.listing);
}

TEST(OutputFile, OutputThatCannotBeCreatedGivesL3300WithItsNameAndLeavesNoFile) {
  struct Case {
    const char* what;
    const char* name;
    bool directory;  // a directory of that name is there before
  };
  const Case cases[] = {
      {"in a missing directory", "missing/out.hex", false},
      {"the name of a directory", "out.hex", true},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.directory) {
      std::filesystem::create_directory(dir.Path(c.name));
    }
    WriteRun run = WriteThrough(dir, kInput, 0x100, 0x1234, BigEndian, c.name);
    EXPECT_FALSE(run.written) << c.what;
    EXPECT_EQ(L3300(dir.Path(c.name)), run.messages) << c.what;
    EXPECT_EQ(c.directory ? "out.hex\n" : "", run.listing) << c.what;
    EXPECT_EQ(c.directory, std::filesystem::is_directory(dir.Path("out.hex"))) << c.what;
  }
}

TEST(OutputFile, InputWithoutAPlaceForTheCodeFieldOrRefusedLeavesAnExistingFileUnchanged) {
  struct Case {
    const char* name;
    std::string input;
    uint32_t codeAddress;
    std::string messages;
  };
  const Case cases[] = {
      // No record lies after the code field: nothing to put the CRC in front of.
      {"no record after the code field", ":10000000000102030405060708090A0B0C0D0E0F78\n", 0x100,
       ""},
      // Refused once much of the output has been written.
      {"a refused line at the end", ManyRecords() + ":020000FF0000FF\n", 0x100, kL2008},
      // The last record ends at the code address, and none begins after it.
      {"a split code field left open",
       ManyRecords() + ":10001000101112131415161718191A1B1C1D1E1F68\n", 0x1F, kL3315},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("out.hex", "previous output\n");
    WriteRun run = WriteThrough(dir, c.input, c.codeAddress, 0x1234, BigEndian);
    EXPECT_FALSE(run.written) << c.name;
    EXPECT_EQ(c.messages, run.messages) << c.name;
    EXPECT_EQ("previous output\n", run.output) << c.name;
    EXPECT_EQ("out.hex\n", run.listing) << c.name;
  }
}

#if !defined(_WIN32)
TEST(OutputFile, FailedWriteIsAnInternalErrorAndLeavesAnExistingFileUnchanged) {
  TempDir dir;
  dir.Write("out.hex", "previous output\n");
  const std::string input = ManyRecords() + ":00000001FF\n";
  EXPECT_EXIT(
      {
        // Writes beyond 8 KB fail with EFBIG instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        limit.rlim_cur = 8192;
        limit.rlim_max = 8192;
        setrlimit(RLIMIT_FSIZE, &limit);
        WriteStages(input, 0x100, 0x1234, BigEndian, dir.Path("out.hex"));
      },
      testing::ExitedWithCode(1), Exactly(L4000(6, 83)));
  EXPECT_EQ("previous output\n", dir.Read("out.hex"));
  EXPECT_EQ("out.hex\n", dir.Listing());
}
#endif

TEST(OutputFile, CorrectionsOfWrittenBytesMatchTheSameEditsOfAString) {
  // Pieces written through the buffer and directly, then bytes overwritten and spliced in and
  // out both in the part already in the file and in the part still buffered; the rest moves
  // in blocks, up and down.
  TempDir dir;
  OutputFile file;
  bool scratchLost = false;
  ASSERT_TRUE(file.Create(dir.Path("out.bin"), &scratchLost));
  std::string model;
  std::mt19937 random(3);
  auto text = [&random](size_t length) {
    std::string piece(length, ' ');
    for (char& c : piece) {
      c = static_cast<char>('A' + random() % 26);
    }
    return piece;
  };
  auto write = [&](size_t length) {
    std::string piece = text(length);
    file.Write(piece.data(), piece.size());
    model += piece;
  };
  auto writeAt = [&](uint64_t offset, size_t length) {
    std::string piece = text(length);
    file.WriteAt(offset, piece.data(), piece.size());
    model.replace(offset, length, piece);
  };
  auto splice = [&](uint64_t offset, uint64_t removed, size_t length) {
    std::string piece = text(length);
    file.Splice(offset, removed, piece.data(), piece.size());
    model.replace(offset, removed, piece);
  };
  for (size_t length : {100u, 70000u, 5u, 200000u, 300000u, 40u, 90000u}) {
    write(length);
  }
  writeAt(10, 4);
  writeAt(model.size() - 30, 4);
  splice(50, 0, 15);
  write(1000);
  splice(20, 37, 0);
  splice(model.size() - 500, 2, 300);
  writeAt(model.size() - 10, 10);
  splice(70, 15, 15);
  write(300);
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(model, dir.Read("out.bin"));
  EXPECT_EQ("out.bin\n", dir.Listing());
}

}  // namespace
}  // namespace sumwright
