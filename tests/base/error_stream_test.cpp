// SPDX-License-Identifier: MIT
// Tests of the choice between console characters and bytes for messages.
#include "base/error_stream.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

TEST(ErrorStream, OnlyAConsoleGetsCharacters) {
  // GetFileType: 0 unknown, 1 disk, 2 character device, 3 pipe.
  const struct {
    unsigned long fileType;
    bool consoleMode;
    ErrorStreamForm form;
  } cases[] = {
      {2, true, ErrorStreamForm::Console},  // a console
      {2, false, ErrorStreamForm::Bytes},   // NUL, a serial port
      {1, false, ErrorStreamForm::Bytes},   // 2>messages.txt
      {3, false, ErrorStreamForm::Bytes},   // 2>&1 | more, a build tool's pipe
      {0, false, ErrorStreamForm::Bytes},   // no handle
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.form, ErrorStreamFormFor(c.fileType, c.consoleMode)) << c.fileType;
  }
}

}  // namespace
}  // namespace sumwright
