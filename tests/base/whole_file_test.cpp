// Tests of reading a whole file in one piece.
#include "base/whole_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace sumwright {
namespace {

TEST(WholeFile, ReadsEveryByteUnchanged) {
  std::string large;
  for (int i = 0; i < 300000; ++i) {
    large += static_cast<char>((i * 7 + i / 256) & 0xFF);
  }
  const std::string cases[] = {
      std::string(),
      std::string("x"),
      std::string(":00000001FF\r\n", 13),
      std::string("a\0b\r\r\n\x1A\xFF\n", 9),
      large,
  };
  TempDir dir;
  for (const std::string& contents : cases) {
    dir.Write("f.bin", contents);
    ByteBuffer bytes = {'o', 'l', 'd'};
    bool tooLarge = false;
    ASSERT_TRUE(ReadWholeFile(dir.Path("f.bin"), contents.size(), &bytes, &tooLarge))
        << contents.size();
    EXPECT_EQ(contents, std::string(bytes.data(), bytes.size())) << contents.size();
  }
}

TEST(WholeFile, FailsForMissingFilesAndDirectories) {
  TempDir dir;
  ByteBuffer bytes = {'o', 'l', 'd'};
  bool tooLarge = false;
  EXPECT_FALSE(ReadWholeFile(dir.Path("missing.hex"), 100, &bytes, &tooLarge));
  EXPECT_TRUE(bytes.empty());
#if !defined(_WIN32)
  // A directory opens for reading on some systems but cannot be read.
  EXPECT_FALSE(ReadWholeFile(dir.path(), 100, &bytes, &tooLarge));
  EXPECT_TRUE(bytes.empty());
#endif
}

}  // namespace
}  // namespace sumwright
