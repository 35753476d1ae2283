// Tests of the names the output stage gives meaning to.
#include "output/output_names.h"

#include <gtest/gtest.h>

#include <string>

namespace sumwright {
namespace {

TEST(OutputNames, DescriptorNamesAreExactlyTheKnownForms) {
  struct Case {
    const char* name;
    int descriptor;  // -1: not a descriptor name
  };
  const Case cases[] = {
      {"/dev/stdin", 0},
      {"/dev/stdout", 1},
      {"/dev/stderr", 2},
      {"/dev/fd/0", 0},
      {"/dev/fd/17", 17},
      {"/proc/self/fd/5", 5},
      {"/dev/fd/123456789", 123456789},
      // Anything else is an ordinary path, opened as it stands.
      {"/dev/fd/", -1},
      {"/dev/fd/1x", -1},
      {"/dev/fd/1234567890", -1},
      {"/dev/fd/-1", -1},
      {"/dev/./stdout", -1},
      {"/dev/stdout/", -1},
      {"dev/stdout", -1},
      {"/proc/1/fd/1", -1},
      {"/dev/null", -1},
  };
  for (const Case& c : cases) {
    int descriptor = -1;
    bool named = DescriptorName(c.name, &descriptor);
    EXPECT_EQ(c.descriptor >= 0, named) << c.name;
    if (named) {
      EXPECT_EQ(c.descriptor, descriptor) << c.name;
    }
  }
}

TEST(OutputNames, SplitPathKeepsTheDirectoryWithItsSeparator) {
  struct Case {
    const char* path;
    bool split;
    const char* directory;
    const char* fileName;
  };
  const Case cases[] = {
    {"out.hex", true, "", "out.hex"},
    {"sub/out.hex", true, "sub/", "out.hex"},
    {"/out.hex", true, "/", "out.hex"},
    {"a//b/out.hex", true, "a//b/", "out.hex"},
    {"dir/", false, "dir/", ""},
    {"sub/.", false, "sub/", "."},
    {"..", false, "", ".."},
#if defined(_WIN32)
    {"C:out.hex", true, "C:", "out.hex"},
    {"C:\\work\\out.hex", true, "C:\\work\\", "out.hex"},
#else
    {"a\\b.hex", true, "", "a\\b.hex"},
#endif
  };
  for (const Case& c : cases) {
    std::string directory;
    std::string fileName;
    EXPECT_EQ(c.split, SplitPath(c.path, &directory, &fileName)) << c.path;
    EXPECT_EQ(c.directory, directory) << c.path;
    EXPECT_EQ(c.fileName, fileName) << c.path;
  }
}

}  // namespace
}  // namespace sumwright
