// Tests of the check whether two names name one existing file.
#include "options/same_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace sumwright {
namespace {

namespace fs = std::filesystem;

TEST(SameFile, SameFileUnderAnySpellingIsTheSameFile) {
  TempDir dir;
  dir.Write("in.hex", ":00000001FF\n");
  dir.Write("other.hex", ":00000001FF\n");
  fs::create_symlink(dir.Path("in.hex"), dir.Path("link.hex"));
  fs::create_hard_link(dir.Path("in.hex"), dir.Path("hard.hex"));
  fs::create_directory(dir.Path("sub"));
  struct Case {
    std::string first;
    std::string second;
    bool same;
  };
  const Case cases[] = {
      {dir.Path("in.hex"), dir.Path("in.hex"), true},
      {dir.Path("in.hex"), dir.path() + "/./in.hex", true},
      {dir.Path("in.hex"), dir.path() + "/sub/../in.hex", true},
      {dir.Path("in.hex"), dir.Path("link.hex"), true},
      {dir.Path("in.hex"), dir.Path("hard.hex"), true},
      {dir.Path("in.hex"), dir.Path("other.hex"), false},
      {dir.Path("in.hex"), dir.Path("missing.hex"), false},
      {dir.Path("missing.hex"), dir.Path("missing.hex"), false},
      {dir.Path("in.hex"), dir.Path("in.hex") + std::string(1, '\0') + "x", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.same, NamesSameFile(c.first, c.second)) << c.first << " / " << c.second;
  }
}

}  // namespace
}  // namespace sumwright
