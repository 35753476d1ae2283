// SPDX-License-Identifier: MIT
// The standard streams made safe to write to before anything else is opened.
#include "base/standard_streams.h"

#include "base/file_io.h"

#if !defined(_WIN32)
#include <fcntl.h>

#include <cerrno>
#endif

namespace sumwright {

bool OpenClosedStandardStreams() {
#if !defined(_WIN32)
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF) {
      continue;
    }
    // The lowest free descriptor: this one, since those below it are open. The program's own,
    // not the caller's: a name of it is never taken for the caller's stream.
    int null = OpenDescriptor("/dev/null", (descriptor == 0 ? O_RDONLY : O_WRONLY) | O_NOCTTY, 0);
    if (null != descriptor) {
      if (null >= 0) {
        CloseFile(null);
      }
      return false;
    }
  }
#endif
  return true;
}

}  // namespace sumwright
