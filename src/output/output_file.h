// The output file: a temporary file beside the output name, written through one buffer and
// renamed over the output name only once it is complete.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sumwright {

struct OutputFile {
  std::string finalName;
  std::string temporaryName;
  int descriptor = -1;
  std::unique_ptr<char[]> buffer;
  size_t used = 0;       // bytes waiting in the buffer
  uint64_t flushed = 0;  // bytes in the file before them
  // A write failed: later writes are dropped, and ReportFailure or Commit reports it.
  std::atomic<bool> failed{false};

  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes a temporary file still left (the output was never committed).
  ~OutputFile();

  // Creates a new, empty temporary file, exclusively, in the directory of `name`, and registers
  // its removal for a process end in between (Ctrl+C, internal error). False, with nothing
  // created and nothing printed, when that is impossible (e.g. the directory does not exist).
  bool Create(const std::string& name);

  // Where the next byte written will stand in the file.
  uint64_t Position() const { return flushed + used; }

  // Appends `length` bytes; long pieces go to the file directly rather than through the buffer.
  void Write(const char* bytes, size_t length);

  // Overwrites `length` bytes already written, from `offset` on.
  void WriteAt(uint64_t offset, const char* bytes, size_t length);

  // Replaces the `removeLength` bytes at `offset` by `length` new bytes, moving everything
  // written after them. Costs a copy of that rest: for rare corrections only.
  void Splice(uint64_t offset, uint64_t removeLength, const char* bytes, size_t length);

  // Writes out the buffer, closes the file and renames it over the output name, replacing a
  // file of that name; reports a failed write as ReportFailure does. False when the rename fails
  // (the temporary file is removed then, an existing file of that name is untouched, nothing is
  // printed).
  bool Commit();

  // Closes and removes the temporary file; the output name is never touched.
  void Discard();

  // After a failed write: removes the temporary file and ends the process with internal error
  // (6, 83). Call from the main thread only, when no other thread writes.
  void ReportFailure();
};

}  // namespace sumwright
