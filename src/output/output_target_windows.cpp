// SPDX-License-Identifier: MIT
// What the output name stands for, and how the finished output takes its place: a file replaced
// by renaming a complete temporary file over it, or a stream written into. The Windows side; the
// POSIX side is output_target.cpp.
#include "output/output_target.h"

#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <new>
#include <stdexcept>

#include "base/file_io.h"
#include "base/interrupt.h"
#include "base/wide_text.h"
#include "base/windows_path.h"
#include "output/output_names.h"

namespace sumwright {

namespace {

// How many temporary names are tried before giving up when others already exist.
constexpr int kNameAttempts = 100;

// Slash or backslash paths of a drive, "\\?\" taken off: the form the other calls take.
std::string PlainPath(const std::string& path) {
  if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) {
    return "\\\\" + path.substr(8);
  }
  if (path.compare(0, 4, "\\\\?\\") == 0) {
    return path.substr(4);
  }
  return path;
}

HANDLE OpenForWriting(const std::string& name, DWORD disposition) {
  return CreateFileW(SystemPath(name).c_str(), GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& first, const BY_HANDLE_FILE_INFORMATION& second) {
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

// The file of that path itself, a link not followed.
bool IdentifyPath(const std::string& path, BY_HANDLE_FILE_INFORMATION* information) {
  HANDLE handle = CreateFileW(
      SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  BOOL known = GetFileInformationByHandle(handle, information);
  CloseHandle(handle);
  return known != 0;
}

// The path of the file an open handle reached, links followed.
bool FinalPath(HANDLE handle, std::string* path) {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  // The size needed, with the NUL; then the path, without it.
  DWORD size = GetFinalPathNameByHandleW(handle, nullptr, 0, kFlags);
  if (size == 0) {
    return false;
  }
  std::wstring buffer(size, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, &buffer[0], size, kFlags);
  if (length == 0 || length >= size) {
    return false;
  }
  *path = PlainPath(TextFromWide(buffer.data(), length));
  return true;
}

bool IsLink(const std::string& name) {
  DWORD attributes = GetFileAttributesW(SystemPath(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The path of the file that `name`, opened as `handle`, reached: the name itself, or through a
// symbolic link the link's final target. *throughLink tells which.
bool ReachedPath(const std::string& name, HANDLE handle, std::string* path, bool* throughLink) {
  std::wstring full = FullPath(WideText(name));
  std::string finalPath;
  if (full.empty() || !FinalPath(handle, &finalPath)) {
    // Without a final path only a name that is no link can be replaced.
    *path = name;
    *throughLink = false;
    return !IsLink(name);
  }
  // Names of one file differ only in letter case, as the file system compares it, unless a link
  // led elsewhere. A name given in "\\?\" form has that form in its full path too.
  std::wstring plainFull = WideText(PlainPath(TextFromWide(full.data(), full.size())));
  std::wstring wideFinal = WideText(finalPath);
  *throughLink =
      CompareStringOrdinal(plainFull.data(), static_cast<int>(plainFull.size()), wideFinal.data(),
                           static_cast<int>(wideFinal.size()), TRUE) != CSTR_EQUAL;
  *path = *throughLink ? finalPath : name;
  return true;
}

}  // namespace

bool FindOutputTarget(const std::string& name, OutputTarget* target) {
  *target = OutputTarget{};
  target->name = name;
  if (!UsableFileName(name)) {
    return false;
  }
  int descriptor = -1;
  if (DescriptorName(name, &descriptor)) {
    // Only the standard handles have such names here.
    const DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE handle = descriptor <= 2 ? GetStdHandle(kStandard[descriptor]) : nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
      return false;
    }
    target->kind = OutputStream;
    target->stream = handle;
    return true;
  }
  // Opened for writing without creating or truncating: refused for a read-only file, a
  // directory, a pipe without a server.
  HANDLE handle = OpenForWriting(name, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    // A link whose target is missing: where the file would go is not known without it.
    if (error == ERROR_FILE_NOT_FOUND && !IsLink(name)) {
      target->kind = NewOutputFile;
      return SplitPath(name, &target->directory, &target->fileName);
    }
    // Another process holds the file for a moment (a scanner, an indexer): replaced once it
    // lets go, as the rename retries.
    if (error == ERROR_SHARING_VIOLATION) {
      target->kind = ReplacedOutputFile;
      return SplitPath(name, &target->directory, &target->fileName);
    }
    return false;
  }
  DWORD type = GetFileType(handle);
  if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
    target->kind = OutputStream;
    target->stream = handle;
    target->ownsStream = true;
    return true;
  }
  BY_HANDLE_FILE_INFORMATION reached;
  std::string path;
  bool known = type == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &reached) != 0 &&
               ReachedPath(name, handle, &path, &target->throughLink);
  // The rename cannot replace a file held open.
  CloseHandle(handle);
  // A read-only file keeps its attribute and its contents, as it would for any open for
  // writing (one that the system lets through, as Wine does for root, included).
  if (!known || (reached.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
  target->kind = ReplacedOutputFile;
  return SplitPath(path, &target->directory, &target->fileName);
}

// Windows files are always created under their name.
int CreateTemporaryFile(const OutputTarget& target, std::string* temporaryName,
                        TemporaryNaming* naming) {
  *naming = NamedAtCreation;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string candidate = TemporaryName();
    int descriptor = OpenDescriptor(target.directory + candidate, _O_RDWR | _O_CREAT | _O_EXCL,
                                    _S_IREAD | _S_IWRITE);
    if (descriptor >= 0) {
      *temporaryName = candidate;
      return descriptor;
    }
    if (errno != EEXIST) {
      return -1;
    }
  }
  return -1;
}

bool NameTemporaryFile(const OutputTarget&, int, TemporaryNaming, std::string*) {
  return false;
}

void RemoveTemporaryFile(const OutputTarget& target, const std::string& temporaryName) {
  // The path takes a little memory; a process end for want of memory that cannot have it leaves
  // the file, as a crash would.
  try {
    DeleteFileW(SystemPath(target.directory + temporaryName).c_str());
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
}

bool ReplaceTarget(const OutputTarget& target, const std::string& temporaryName) {
  std::string finalName = target.directory + target.fileName;
  if (target.throughLink) {
    // Through the link again, now: the rename replaces the file it reaches, and nothing else.
    HANDLE handle = OpenForWriting(target.name, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
      return false;
    }
    BY_HANDLE_FILE_INFORMATION reached;
    BY_HANDLE_FILE_INFORMATION there;
    bool same = GetFileInformationByHandle(handle, &reached) != 0 &&
                IdentifyPath(finalName, &there) && SameFile(reached, there);
    CloseHandle(handle);
    if (!same) {
      return false;
    }
  }
  std::wstring from = SystemPath(target.directory + temporaryName);
  std::wstring to = SystemPath(finalName);
  // A scanner or indexer may hold either file for a moment: try again briefly before failing.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
      return true;
    }
    DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
      return false;
    }
    Sleep(50);
  }
  return false;
}

bool WriteToStream(const OutputTarget& target, const char* bytes, size_t length) {
  // Small pieces: older consoles refuse large writes.
  const size_t kPiece = size_t{32} << 10;
  while (length != 0) {
    DWORD count = static_cast<DWORD>(length < kPiece ? length : kPiece);
    DWORD written = 0;
    if (WriteFile(static_cast<HANDLE>(target.stream), bytes, count, &written, nullptr) == 0 ||
        written == 0) {
      // Ctrl+C cancels a write that waits for a pipe's reader.
      PollInterrupt();
      return false;
    }
    bytes += written;
    length -= written;
  }
  return true;
}

bool CloseOutputTarget(OutputTarget* target) {
  bool closed = true;
  if (target->ownsStream && target->stream != nullptr) {
    closed = CloseHandle(static_cast<HANDLE>(target->stream)) != 0;
  }
  target->stream = nullptr;
  target->ownsStream = false;
  return closed;
}

}  // namespace sumwright

#endif
