// The output file: a temporary file beside the output name, written through one buffer and
// renamed over the output name only once it is complete.
#include "output/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/file_io.h"
#include "base/messages.h"
#include "base/process_exit.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sumwright {

namespace {

// Internal-error place of a failed write, flush or close of the output.
constexpr int kOutputModule = 6;
constexpr int kWriteFailed = 83;
// Internal-error place of memory that cannot be had.
constexpr int kMemoryModule = 4;
constexpr int kAllocationFailed = 105;

constexpr size_t kBufferSize = size_t{256} << 10;
// Pieces at least this long are written straight from where they are.
constexpr size_t kDirectWrite = size_t{64} << 10;

// How many names are tried before giving up when others already exist.
constexpr int kNameAttempts = 100;

// The file whose removal a process end must take care of; one output is written at a time.
OutputFile* activeFile = nullptr;

// Runs at a process end, which only the main thread starts, maybe while the second thread is
// still writing: the name goes, the descriptor stays open until the process is gone.
void RemoveActiveFile() {
  if (activeFile != nullptr) {
    std::remove(activeFile->temporaryName.c_str());
  }
}

unsigned long ProcessNumber() {
#if defined(_WIN32)
  return static_cast<unsigned long>(_getpid());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Opens `name` for binary reading and writing only when no file of that name exists yet.
int CreateExclusive(const std::string& name) {
#if defined(_WIN32)
  return _open(name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  return open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
#endif
}

// Replaces `to` by `from`; rename() does not replace an existing file on Windows.
bool ReplaceFile(const std::string& from, const std::string& to) {
#if defined(_WIN32)
  // A scanner or indexer may hold either file for a moment: try again briefly before failing.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
      return true;
    }
    DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
      return false;
    }
    Sleep(50);
  }
  return false;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

OutputFile::~OutputFile() {
  if (!temporaryName.empty()) {
    Discard();
  }
}

bool OutputFile::Create(const std::string& name) {
  finalName = name;
  static unsigned long serial = 0;
  // The temporary file carries the output name as its prefix, so that it lies in the same
  // directory (and file system) and the final rename cannot turn into a copy.
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%lx-%lx.tmp", ProcessNumber(), ++serial);
    std::string candidate = name + suffix;
    descriptor = CreateExclusive(candidate);
    if (descriptor >= 0) {
      temporaryName = candidate;
      break;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  if (descriptor < 0) {
    return false;
  }
  used = 0;
  flushed = 0;
  activeFile = this;
  SetExitCleanup(RemoveActiveFile);
  if (buffer == nullptr) {
    buffer.reset(new (std::nothrow) char[kBufferSize]);
    if (buffer == nullptr) {
      Discard();
      ReportInternalError(kMemoryModule, kAllocationFailed);
    }
  }
  return true;
}

namespace {

// Writes may run on the second thread, which must not end the process: the failure is kept,
// later writes are dropped, and the main thread reports it (OutputFile::Commit or a check of
// Failed() between batches).
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

void OutputFile::ReportFailure() {
  if (failed) {
    Discard();
    ReportInternalError(kOutputModule, kWriteFailed);
  }
}

bool OutputFile::Commit() {
  FlushBuffer(this);
  // An error the system reports only now (a full disk, a quota) still fails the output.
  if (!CloseFile(descriptor)) {
    WriteFailed(this);
  }
  descriptor = -1;
  ReportFailure();
  bool renamed = ReplaceFile(temporaryName, finalName);
  if (!renamed) {
    std::remove(temporaryName.c_str());
  }
  temporaryName.clear();
  activeFile = nullptr;
  SetExitCleanup(nullptr);
  return renamed;
}

void OutputFile::Discard() {
  if (descriptor >= 0) {
    CloseFile(descriptor);
    descriptor = -1;
  }
  if (!temporaryName.empty()) {
    std::remove(temporaryName.c_str());
    temporaryName.clear();
  }
  used = 0;
  if (activeFile == this) {
    activeFile = nullptr;
    SetExitCleanup(nullptr);
  }
}

}  // namespace sumwright
