// SPDX-License-Identifier: MIT
// Tests of the path that Windows' file functions get for a name.
#include "base/windows_path.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

TEST(WindowsPath, TakesTheLongFormOfTheFullPathOnlyPastTheLimit) {
  // A directory that makes every full path below it longer than 259 characters.
  const std::u16string deep = u"C:\\build\\" + std::u16string(250, u'd');
  const struct {
    std::u16string name;
    std::u16string fullPath;  // as GetFullPathNameW gives it
    std::u16string expected;
  } cases[] = {
      {u"app.hex", u"C:\\w\\app.hex", u"app.hex"},
      {u"plain.hex ", u"C:\\w\\plain.hex", u"plain.hex "},
      {u"NUL", u"\\\\.\\NUL", u"NUL"},
      {u"app.hex", deep + u"\\app.hex", u"\\\\?\\" + deep + u"\\app.hex"},
      {deep + u"/x/../app.hex", deep + u"\\app.hex", u"\\\\?\\" + deep + u"\\app.hex"},
      {deep + u"\\plain.hex ", deep + u"\\plain.hex", u"\\\\?\\" + deep + u"\\plain.hex"},
      {deep + u"\\NUL", u"\\\\.\\NUL", u"\\\\.\\NUL"},
      {u"\\\\.\\COM1", u"\\\\.\\COM1", u"\\\\.\\COM1"},
      {u"\\\\srv\\share" + deep.substr(2), u"\\\\srv\\share" + deep.substr(2),
       u"\\\\?\\UNC\\srv\\share" + deep.substr(2)},
      {u"\\\\?\\" + deep + u"\\a.hex ", u"\\\\?\\" + deep + u"\\a.hex",
       u"\\\\?\\" + deep + u"\\a.hex "},
      {deep + u"\\app.hex", u"", deep + u"\\app.hex"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, LongPathForm(c.name, c.fullPath));
  }
}

}  // namespace
}  // namespace sumwright
