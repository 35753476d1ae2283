// SPDX-License-Identifier: MIT
// The output file: written through one buffer into a temporary file beside the file it
// replaces, renamed over it only once it is complete; or into a scratch file that is copied into
// a stream once complete.
#include "output/output_file.h"

#include <cstring>
#include <new>

#include "base/file_io.h"
#include "base/interrupt.h"
#include "base/messages.h"
#include "base/process_exit.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace sumwright {

namespace {

constexpr size_t kBufferSize = size_t{256} << 10;
// Pieces at least this long are written straight from where they are.
constexpr size_t kDirectWrite = size_t{64} << 10;

// The file whose removal a process end must take care of; one output is written at a time.
std::atomic<OutputFile*> activeFile{nullptr};

// Runs at a process end, which only the main thread starts or receives as a signal, maybe while
// the second thread is still writing: the temporary file's name goes, its descriptor stays open
// until the process is gone. Async-signal-safe (POSIX): it reads the name, which the main thread
// changes only while it holds signals back, and removes it by unlinkat.
void RemoveActiveFile() {
  OutputFile* file = activeFile.load();
  if (file != nullptr && !file->temporaryName.empty()) {
    RemoveTemporaryFile(file->target, file->temporaryName);
  }
}

}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Create(const std::string& name, bool* scratchLost) {
  *scratchLost = false;
  if (!FindOutputTarget(name, &target)) {
    return false;
  }
  {
    // A signal finds the file's name and its removal registered, or neither.
    SignalHold hold;
    if (target.kind == OutputStream) {
      descriptor = OpenScratchFile();
    } else {
      // Beside the file it replaces, in the same file system, so that the rename cannot turn
      // into a copy.
      descriptor = CreateTemporaryFile(target, &temporaryName, &naming);
    }
    if (descriptor >= 0) {
      activeFile = this;
      SetExitCleanup(RemoveActiveFile);
    }
  }
  if (descriptor < 0) {
    *scratchLost = target.kind == OutputStream;
    CloseOutputTarget(&target);
    return false;
  }
  used = 0;
  flushed = 0;
  if (buffer == nullptr) {
    buffer.reset(new (std::nothrow) char[kBufferSize]);
    if (buffer == nullptr) {
      Discard();
      ReportInternalError(kTextMemory);
    }
  }
  return true;
}

namespace {

// Writes may run on the second thread, which must not end the process: the failure is kept,
// later writes are dropped, and the main thread reports it (EndProcessIfWriteFailed).
void WriteFailed(OutputFile* file) {
  file->failed = true;
}

void FlushBuffer(OutputFile* file) {
  if (file->used == 0 || file->failed) {
    file->used = 0;
    return;
  }
  if (!WriteAll(file->descriptor, file->buffer.get(), file->used)) {
    WriteFailed(file);
  }
  file->flushed += file->used;
  file->used = 0;
}

// Puts the position for the next write back at the end of what was written: reads and writes
// at an offset move it on Windows, and a shortened file must not grow a hole.
void SeekToEnd(OutputFile* file) {
#if defined(_WIN32)
  bool placed = _lseeki64(file->descriptor, static_cast<long long>(file->flushed), SEEK_SET) >= 0;
#else
  bool placed = lseek(file->descriptor, static_cast<off_t>(file->flushed), SEEK_SET) >= 0;
#endif
  if (!placed) {
    WriteFailed(file);
  }
}

}  // namespace

void OutputFile::Write(const char* bytes, size_t length) {
  if (failed) {
    return;
  }
  if (length >= kDirectWrite) {
    FlushBuffer(this);
    if (!WriteAll(descriptor, bytes, length)) {
      WriteFailed(this);
    }
    flushed += length;
    return;
  }
  if (kBufferSize - used < length) {
    FlushBuffer(this);
  }
  std::memcpy(buffer.get() + used, bytes, length);
  used += length;
}

void OutputFile::WriteAt(uint64_t offset, const char* bytes, size_t length) {
  if (failed) {
    return;
  }
  if (offset >= flushed) {
    std::memcpy(buffer.get() + (offset - flushed), bytes, length);
    return;
  }
  FlushBuffer(this);
  if (!WriteAllAt(descriptor, offset, bytes, length)) {
    WriteFailed(this);
    return;
  }
  SeekToEnd(this);
}

void OutputFile::Splice(uint64_t offset, uint64_t removeLength, const char* bytes, size_t length) {
  FlushBuffer(this);
  if (failed) {
    return;
  }
  const uint64_t size = flushed;
  const uint64_t restStart = offset + removeLength;
  const uint64_t rest = size - restStart;
  const uint64_t newStart = offset + length;
  char* block = buffer.get();
  // Move the rest in blocks: from its end when it moves up, from its start when it moves down,
  // so that no block overwrites bytes not yet moved.
  for (uint64_t moved = 0; moved < rest;) {
    size_t count = rest - moved < kBufferSize ? static_cast<size_t>(rest - moved) : kBufferSize;
    uint64_t from = newStart > restStart ? restStart + rest - moved - count : restStart + moved;
    uint64_t to = from - restStart + newStart;
    size_t got = 0;
    if (!ReadAt(descriptor, from, block, count, &got) || got != count ||
        !WriteAllAt(descriptor, to, block, count)) {
      WriteFailed(this);
      return;
    }
    moved += count;
  }
  if ((length != 0 && !WriteAllAt(descriptor, offset, bytes, length)) ||
      (newStart < restStart && !TruncateFile(descriptor, newStart + rest))) {
    WriteFailed(this);
    return;
  }
  flushed = newStart + rest;
  SeekToEnd(this);
}

namespace {

// Copies the finished scratch file into the stream, in blocks of the buffer's size.
void CopyIntoStream(OutputFile* file) {
  char* block = file->buffer.get();
  for (uint64_t copied = 0; copied < file->flushed;) {
    uint64_t rest = file->flushed - copied;
    size_t count = rest < kBufferSize ? static_cast<size_t>(rest) : kBufferSize;
    size_t got = 0;
    if (!ReadAt(file->descriptor, copied, block, count, &got) || got != count ||
        !WriteToStream(file->target, block, count)) {
      WriteFailed(file);
      return;
    }
    copied += count;
  }
}

void ForgetActiveFile(OutputFile* file) {
  if (activeFile == file) {
    activeFile = nullptr;
    SetExitCleanup(nullptr);
  }
}

}  // namespace

void OutputFile::EndProcessIfWriteFailed() {
  if (failed) {
    // A call that a request to end cut short reports that request, not a failed write.
    PollInterrupt();
    Discard();
    ReportInternalError(kOutputWrite);
  }
}

bool OutputFile::Commit() {
  FlushBuffer(this);
  EndProcessIfWriteFailed();
  if (target.kind == OutputStream) {
    CopyIntoStream(this);
    // A device may report only when it is closed that it could not take what it was given.
    if (!CloseOutputTarget(&target)) {
      WriteFailed(this);
    }
    EndProcessIfWriteFailed();
    CloseFile(descriptor);
    descriptor = -1;
    ForgetActiveFile(this);
    return true;
  }
  // The unnamed file is named only now that it is complete: from here to the rename, a process
  // end that cannot be caught leaves it behind.
  bool named = true;
  if (naming != NamedAtCreation) {
    SignalHold hold;
    named = NameTemporaryFile(target, descriptor, naming, &temporaryName);
  }
  // An error the system reports only now (a full disk, a quota) still fails the output.
  bool closed = CloseFile(descriptor);
  descriptor = -1;
  if (!closed) {
    WriteFailed(this);
  }
  EndProcessIfWriteFailed();
  bool renamed = false;
  {
    SignalHold hold;
    renamed = named && ReplaceTarget(target, temporaryName);
    if (!renamed && !temporaryName.empty()) {
      RemoveTemporaryFile(target, temporaryName);
    }
    temporaryName.clear();
  }
  CloseOutputTarget(&target);
  ForgetActiveFile(this);
  return renamed;
}

void OutputFile::Discard() {
  if (descriptor >= 0) {
    CloseFile(descriptor);
    descriptor = -1;
  }
  if (!temporaryName.empty()) {
    SignalHold hold;
    RemoveTemporaryFile(target, temporaryName);
    temporaryName.clear();
  }
  CloseOutputTarget(&target);
  used = 0;
  ForgetActiveFile(this);
}

}  // namespace sumwright
