// SPDX-License-Identifier: MIT
// Whole reads and writes on file descriptors, the same on POSIX and Windows, and the record of
// the descriptors the program opened itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sumwright {

// False for a name that holds a NUL byte: it names no file, since every system call would see
// only the part before the NUL.
bool UsableFileName(const std::string& name);

// Every open of the program goes through the calls below, which note each descriptor they hand
// out until CloseFile closes it. So a descriptor that is open and not noted is one the caller
// passed on to the process.

// Opens `name` with open() `flags` (and `permissions` for a new file), binary on Windows. An open
// that a signal interrupts (a FIFO waiting for its other end) is polled for Ctrl+C and tried
// again. -1, with errno set, on failure; a name holding a NUL byte names no file (ENOENT).
int OpenDescriptor(const std::string& name, int flags, int permissions);

#if !defined(_WIN32)
// The same, for `name` taken from the open directory `directory` (openat), tried once.
int OpenDescriptorAt(int directory, const std::string& name, int flags, int permissions);
#endif

// True while `descriptor` is one that the program opened itself through these calls (its input,
// a scratch or temporary file, a directory, the null device it put on a closed standard stream)
// and has not closed. Such a descriptor is never the caller's, whatever it is open on.
bool OpenedByProgram(int descriptor);

// Every call below that a signal interrupts polls for Ctrl+C and, when none is pending, goes on.
// A call that fails polls too before it reports the failure: on Windows, Ctrl+C cancels a read
// that waits for a pipe or the console.

// Reads up to `capacity` bytes at the current position into `buffer`; *got is 0 at the end of the
// file. False on an error.
bool ReadSome(int descriptor, char* buffer, size_t capacity, size_t* got);

// Reads up to `capacity` bytes from `offset` on, fewer only at the end of the file. False on an
// error. Leaves the current position where it was on POSIX, and anywhere on Windows.
bool ReadAt(int descriptor, uint64_t offset, char* buffer, size_t capacity, size_t* got);

// Writes all `length` bytes at the current position, or at `offset`. False when the system
// takes fewer (a full disk, a file size limit) or fails.
bool WriteAll(int descriptor, const char* bytes, size_t length);
bool WriteAllAt(int descriptor, uint64_t offset, const char* bytes, size_t length);

// Cuts the file to `size` bytes.
bool TruncateFile(int descriptor, uint64_t size);

// Closes a descriptor, which the program no longer holds afterwards.
bool CloseFile(int descriptor);

// The attributes of an open file that change whenever its contents do.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modified = 0;  // nanoseconds (POSIX) or 100-ns ticks (Windows)
  int64_t changed = 0;
  bool regular = false;  // a regular file, which can be read again at any offset
  bool directory = false;
};

// Opens `name` for reading and describes it in *identity. -1 when it cannot be opened, and for a
// directory, which opens on POSIX but holds nothing to read.
int OpenForReading(const std::string& name, FileIdentity* identity);

// False when the system cannot tell.
bool IdentifyOpenFile(int descriptor, FileIdentity* identity);

// True when both describe the same file with the same contents.
bool SameContents(const FileIdentity& first, const FileIdentity& second);

// Opens a new, empty file for reading and writing in the directory for temporary files: one that
// never has a name (Linux, where the file system allows it), that no name refers to any longer
// (other POSIX systems), or that the system removes when it is closed (Windows). -1 when that is
// impossible.
int OpenScratchFile();

// The directory for temporary files where OpenScratchFile makes its file, for messages:
// $TMPDIR, else /tmp (POSIX); what GetTempPath names (Windows).
std::string ScratchDirectory();

}  // namespace sumwright
