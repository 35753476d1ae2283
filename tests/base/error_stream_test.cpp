// SPDX-License-Identifier: MIT
// Tests of the choice between console characters and bytes for messages.
#include "base/error_stream.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

TEST(ErrorStream, OnlyAConsoleGetsCharacters) {
  // GetFileType: 0 unknown (no handle), 1 disk (2>log.txt), 2 character device, 3 pipe.
  EXPECT_EQ(ErrorStreamForm::Console, ErrorStreamFormFor(2, true));
  EXPECT_EQ(ErrorStreamForm::Bytes, ErrorStreamFormFor(2, false));  // NUL, a serial port
  for (unsigned long fileType : {0ul, 1ul, 3ul}) {
    EXPECT_EQ(ErrorStreamForm::Bytes, ErrorStreamFormFor(fileType, false)) << fileType;
  }
}

}  // namespace
}  // namespace sumwright
