// SPDX-License-Identifier: MIT
// What the output name stands for, and how the finished output takes its place: a file replaced
// by renaming a complete temporary file over it, or a stream written into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sumwright {

enum OutputKind {
  // No file of that name: a new file is renamed into place.
  NewOutputFile,
  // An existing regular file, reached as an open for writing reaches it (through symbolic links
  // too): replaced by a rename, keeping its permission bits, owner and group where possible.
  ReplacedOutputFile,
  // Written into, never replaced: a name of a descriptor that the caller passed on to the process
  // (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N, or on POSIX any name that leads
  // through symbolic links and directories to an entry of the process's own descriptor
  // directory, such as //dev/stdout, /dev/fd/./1 or /proc/<pid>/fd/1), a character device or a
  // FIFO (POSIX), a character device or a pipe (Windows: NUL, CON, COMn, named pipes).
  OutputStream,
};

struct OutputTarget {
  OutputKind kind = NewOutputFile;
  std::string name;  // the output name as given
  // Files: the directory that receives the temporary file and the rename, and the name in it
  // that the rename replaces. A symbolic link leads to the directory of its final target.
  std::string directory;
  std::string fileName;
  // Files: the name led through a symbolic link. The rename then replaces the file that an open
  // for writing of the name reaches at that moment, or makes the file the link leads to then,
  // and nothing else.
  bool throughLink = false;
  // Replaced files: the attributes that the new file takes over.
  uint32_t permissions = 0;
  uint32_t owner = 0;
  uint32_t group = 0;
  // Streams: what is written into, opened here (and closed by CloseOutputTarget) unless it is
  // one of the process's own.
#if defined(_WIN32)
  void* stream = nullptr;  // a HANDLE
#else
  int stream = -1;
  // Files: the directory, held open so that every later step acts in the directory found here.
  int directoryDescriptor = -1;
#endif
  bool ownsStream = false;
};

// Finds out what `name` stands for the way an open for writing without creating or truncating
// would, and changes nothing. A stream is opened (a FIFO with O_NONBLOCK, so that the open
// cannot wait for a reader). An existing file must still be the directory's entry of that name
// once its directory is held; when another process renamed a file over the name in between, the
// name is looked at again, up to 16 times. False, with nothing held, when an open for writing
// would fail (a read-only file for a user other than root, a FIFO without a reader, a missing
// directory), for a block device, a directory or anything else that is neither file nor stream,
// when the entry kept changing, and for a descriptor name whose descriptor is not open for
// writing or is not the caller's: closed when the process started (the null device put on a
// closed standard stream) or opened by the program itself (file_io.h). Prints nothing.
bool FindOutputTarget(const std::string& name, OutputTarget* target);

// How a temporary file comes by the name that the rename needs.
enum TemporaryNaming {
  // Created under its name.
  NamedAtCreation,
  // Created without a name (Linux, O_TMPFILE), so that no end of the process, not even SIGKILL,
  // a crash or a power cut, leaves it behind; linked to a name at the commit by its descriptor
  // (linkat with AT_EMPTY_PATH) or through /proc/self/fd/N.
  LinkedByDescriptor,
  LinkedThroughProc,
};

// Creates a new, empty temporary file for reading and writing in the target's directory. On
// Linux it has no name, where the file system allows such files and one of the two ways of
// linking it later works (both are tried here, creating nothing); otherwise it is created
// exclusively as ".sumwright-<process>-<serial>.tmp" (at most 40 characters, whatever the output
// name), and that name is handed back in *temporaryName. *naming tells which. For a replaced
// file it takes that file's permission bits, and its owner and group where the process may set
// them. -1 when that is impossible.
int CreateTemporaryFile(const OutputTarget& target, std::string* temporaryName,
                        TemporaryNaming* naming);

// Links the unnamed temporary file `descriptor` to a new name of the form above in the target's
// directory, the way `naming` says, and hands that name back. False, with no name made, when the
// system refuses.
bool NameTemporaryFile(const OutputTarget& target, int descriptor, TemporaryNaming naming,
                       std::string* temporaryName);

// Removes the temporary file of that name from the target's directory. Async-signal-safe on
// POSIX.
void RemoveTemporaryFile(const OutputTarget& target, const std::string& temporaryName);

// Renames the closed temporary file over the target's file name. Through a symbolic link it
// first requires that the link still leads there, without creating anything: an open for writing
// of the output name must reach the very file that the rename replaces, or, where that file is
// missing, the link must lead to that name in that directory. False when that or the rename
// fails; the temporary file is left for the caller to remove.
bool ReplaceTarget(const OutputTarget& target, const std::string& temporaryName);

// Writes `length` bytes into a stream target. False when the system takes fewer or fails.
bool WriteToStream(const OutputTarget& target, const char* bytes, size_t length);

// Releases what FindOutputTarget holds: the directory, a stream it opened. False when closing
// an opened stream reports an error (data it had taken may be lost).
bool CloseOutputTarget(OutputTarget* target);

}  // namespace sumwright
