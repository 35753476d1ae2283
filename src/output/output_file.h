// SPDX-License-Identifier: MIT
// The output file: written through one buffer into a temporary file beside the file it
// replaces, renamed over it only once it is complete; or, for an output that is written into
// (a device, a FIFO, a descriptor of the process), into a scratch file that is copied into it
// once complete. The writers need a file they can seek in, so nothing is written anywhere else.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "output/output_target.h"

namespace sumwright {

struct OutputFile {
  OutputTarget target;
  // In target.directory; empty while the file has none (unnamed until the commit, or removed).
  std::string temporaryName;
  TemporaryNaming naming = NamedAtCreation;
  int descriptor = -1;  // the temporary or scratch file being written
  std::unique_ptr<char[]> buffer;
  size_t used = 0;       // bytes waiting in the buffer
  uint64_t flushed = 0;  // bytes in the file before them
  // A write failed: later writes are dropped, and EndProcessIfWriteFailed or Commit reports it.
  std::atomic<bool> failed{false};

  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes a temporary file still left (the output was never committed).
  ~OutputFile();

  // Finds out what `name` stands for (FindOutputTarget) and creates a new, empty temporary file
  // in the directory of the file it names (unnamed where the system allows it), or a scratch
  // file for a stream, and registers its removal for a process end in between (Ctrl+C, a request
  // to end, another signal that ends the process, internal error). False, with nothing created
  // and nothing printed, when that is impossible (the directory does not exist, the file may not
  // be written, a FIFO has no reader, a block device); *scratchLost then tells that the name is a
  // stream and only the scratch file in the directory for temporary files could not be made.
  bool Create(const std::string& name, bool* scratchLost);

  // Where the next byte written will stand in the file.
  uint64_t Position() const { return flushed + used; }

  // Appends `length` bytes; long pieces go to the file directly rather than through the buffer.
  void Write(const char* bytes, size_t length);

  // Overwrites `length` bytes already written, from `offset` on.
  void WriteAt(uint64_t offset, const char* bytes, size_t length);

  // Replaces the `removeLength` bytes at `offset` by `length` new bytes, moving everything
  // written after them. Costs a copy of that rest: for rare corrections only.
  void Splice(uint64_t offset, uint64_t removeLength, const char* bytes, size_t length);

  // Writes out the buffer and closes the file. An unnamed file is first linked to a temporary
  // name. A file is renamed over the output name (or the file a symbolic link leads to),
  // replacing it; false when the link or the rename fails (the temporary file is removed then,
  // an existing file of that name is untouched, nothing is printed). A stream receives the whole
  // output now; a failed write into it is a failed write. ENDS THE PROCESS, as
  // EndProcessIfWriteFailed, when a write, the flush or the close failed.
  bool Commit();

  // Closes and removes the temporary file; the output name is never touched, nothing is
  // written into a stream.
  void Discard();

  // After a failed write: removes the temporary file and ENDS THE PROCESS with internal error
  // (6, 83), or with L3410 when a request to end cut the write short; otherwise returns. Call
  // from the main thread only, when no other thread writes.
  void EndProcessIfWriteFailed();
};

}  // namespace sumwright
