// SPDX-License-Identifier: MIT
// The standard streams made safe to write to before anything else is opened.
#pragma once

namespace sumwright {

// POSIX: opens the null device on each of the descriptors 0 to 2 that is closed, 0 for reading
// and 1 and 2 for writing. Otherwise a file the run opens later would take such a descriptor, and
// messages meant for the standard error stream would go into it. Call it first, before anything
// is opened. The null device counts as a descriptor the program opened itself (file_io.h), so
// that a name of such a descriptor (/dev/stdout when 1 was closed) is never taken for the
// caller's. False, with nothing opened, when the null device cannot be opened: the process must
// then end at once with status 1.
// Windows: true, doing nothing. The C runtime keeps descriptors 0 to 2 for the standard streams
// even when the process has no such handle (writes to them are dropped), and a handle opened
// later never becomes a standard handle.
bool OpenClosedStandardStreams();

}  // namespace sumwright
