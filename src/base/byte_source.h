// SPDX-License-Identifier: MIT
// Where the input comes from: an open file, read once in order and again where needed, or a
// text in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/file_io.h"

namespace sumwright {

struct ByteSource {
  int descriptor = -1;  // the open input file; -1 for a text in memory
  // What was read from a file that cannot be read twice (a pipe, a device): kept in a scratch
  // file for ReadSourceAt. -1 until needed.
  int copy = -1;
  // The scratch file could not be made or written: the input cannot be read again.
  bool copyLost = false;
  const char* text = nullptr;
  size_t textSize = 0;
  uint64_t position = 0;  // bytes handed out by ReadSource so far
  FileIdentity identity;  // of the file when it was opened

  ByteSource() = default;
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;
  ByteSource(ByteSource&& other) noexcept;
  ByteSource& operator=(ByteSource&& other) noexcept;
  ~ByteSource();
};

// Opens the named file for reading. False, with nothing open, when the name holds a NUL byte
// (the system would open the file named by the part before it), when the file cannot be opened,
// or when it is a directory. Prints nothing.
bool OpenSourceFile(const std::string& name, ByteSource* source);

// A source that hands out `text`, which must outlive it.
void SourceFromText(std::string_view text, ByteSource* source);

// Hands out the next bytes, up to `capacity`; *got is 0 at the end. False on a read error. The
// bytes of a file that cannot be read twice are kept in a scratch file as they are handed out;
// when that file cannot be made or written, reading goes on and SourceReadsAgain turns false.
bool ReadSource(ByteSource* source, char* buffer, size_t capacity, size_t* got);

// How many bytes the source will hand out, as far as known when it was opened, for sizing
// buffers: a text's size, a regular file's size then; UINT64_MAX for a pipe or a device.
uint64_t ExpectedSourceSize(const ByteSource& source);

// True unless the source is a file that cannot be read twice whose scratch file was lost.
bool SourceReadsAgain(const ByteSource& source);

// Reads again bytes that ReadSource handed out, from `offset` on; fewer than `capacity` only
// past the last byte handed out. False on a read error, and when !SourceReadsAgain.
bool ReadSourceAt(ByteSource* source, uint64_t offset, char* buffer, size_t capacity, size_t* got);

// True unless the input file was changed since it was opened (its size, modification or change
// time differ), so that reading it again gives the bytes read the first time.
bool SourceUnchanged(const ByteSource& source);

void CloseSource(ByteSource* source);

}  // namespace sumwright
