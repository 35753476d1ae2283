// The output file: a temporary file beside the output name, written through one large buffer
// and renamed over the output name only once it is complete.
#include "output/output_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

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

// How many names are tried before giving up when others already exist.
constexpr int kNameAttempts = 100;

// The file whose removal a process end must take care of; one output is written at a time.
OutputFile* activeFile = nullptr;

void RemoveActiveFile() {
  if (activeFile != nullptr) {
    activeFile->Discard();
  }
}

unsigned long ProcessNumber() {
#if defined(_WIN32)
  return static_cast<unsigned long>(_getpid());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Opens `name` for binary writing only when no file of that name exists yet.
std::FILE* CreateExclusive(const std::string& name) {
#if defined(_WIN32)
  int fd = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) {
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "wb");
  if (stream == nullptr) {
    _close(fd);
  }
#else
  int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) {
    return nullptr;
  }
  std::FILE* stream = fdopen(fd, "wb");
  if (stream == nullptr) {
    close(fd);
  }
#endif
  return stream;
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
    stream = CreateExclusive(candidate);
    if (stream != nullptr) {
      temporaryName = candidate;
      break;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  if (stream == nullptr) {
    return false;
  }
  // The buffer below does the buffering; the stream passes whole blocks straight on.
  std::setvbuf(stream, nullptr, _IONBF, 0);
  used = 0;
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

void OutputFile::Flush() {
  if (used == 0) {
    return;
  }
  if (stream == nullptr || std::fwrite(buffer.get(), 1, used, stream) != used) {
    Discard();
    ReportInternalError(kOutputModule, kWriteFailed);
  }
  used = 0;
}

char* OutputFile::Reserve(size_t length) {
  WriteSpan();
  if (kBufferSize - used < length) {
    Flush();
  }
  return buffer.get() + used;
}

void OutputFile::Write(const char* text, size_t length) {
  WriteSpan();
  if (kBufferSize - used < length) {
    Flush();
    if (length > kBufferSize) {
      if (std::fwrite(text, 1, length, stream) != length) {
        Discard();
        ReportInternalError(kOutputModule, kWriteFailed);
      }
      return;
    }
  }
  std::memcpy(buffer.get() + used, text, length);
  used += length;
}

void OutputFile::WriteLine(const char* text, size_t length, const char* lineEnd,
                           size_t lineEndLength) {
  WriteSpan();
  if (kBufferSize - used >= length + lineEndLength) {
    // The common case: one record line that fits.
    std::memcpy(buffer.get() + used, text, length);
    std::memcpy(buffer.get() + used + length, lineEnd, lineEndLength);
    used += length + lineEndLength;
    return;
  }
  Write(text, length);
  Write(lineEnd, lineEndLength);
}

void OutputFile::WriteSpan() {
  if (spanStart == spanEnd) {
    return;
  }
  const char* start = spanStart;
  size_t length = static_cast<size_t>(spanEnd - spanStart);
  spanStart = spanEnd = nullptr;
  Write(start, length);
}

void OutputFile::CopyInputLine(const char* text, size_t length, const char* lineEnd,
                               size_t lineEndLength, const char* inputBegin, const char* inputEnd) {
  const char* afterText = text + length;
  // The input holds the very line end to be written right after the text.
  auto at = [](const char* p) { return reinterpret_cast<uintptr_t>(p); };
  bool lineEndFollows = at(text) >= at(inputBegin) && at(afterText) <= at(inputEnd) &&
                        at(inputEnd) - at(afterText) >= lineEndLength &&
                        std::memcmp(afterText, lineEnd, lineEndLength) == 0;
  if (!lineEndFollows) {
    WriteLine(text, length, lineEnd, lineEndLength);
    return;
  }
  if (text != spanEnd) {
    WriteSpan();
    spanStart = text;
  }
  spanEnd = afterText + lineEndLength;
}

bool OutputFile::Commit() {
  WriteSpan();
  Flush();
  // An error the system reports only now (a full disk, a quota) still fails the output.
  bool closed = std::fflush(stream) == 0;
  closed = std::fclose(stream) == 0 && closed;
  stream = nullptr;
  if (!closed) {
    Discard();
    ReportInternalError(kOutputModule, kWriteFailed);
  }
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
  if (stream != nullptr) {
    std::fclose(stream);
    stream = nullptr;
  }
  if (!temporaryName.empty()) {
    std::remove(temporaryName.c_str());
    temporaryName.clear();
  }
  used = 0;
  spanStart = spanEnd = nullptr;
  if (activeFile == this) {
    activeFile = nullptr;
    SetExitCleanup(nullptr);
  }
}

}  // namespace sumwright
