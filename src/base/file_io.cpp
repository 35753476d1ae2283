// SPDX-License-Identifier: MIT
// Whole reads and writes on file descriptors, the same on POSIX and Windows, and the record of
// the descriptors the program opened itself.
#include "base/file_io.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/interrupt.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

#include "base/wide_text.h"
#include "base/windows_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sumwright {

namespace {

// The descriptors the program holds of its own, each stored plus one, so that 0 marks a free
// slot. It holds a handful at a time: the input, scratch copies, the output's temporary file and
// directory, the null device on closed standard streams.
constexpr size_t kMostOwnDescriptors = 64;
std::atomic<int> ownDescriptors[kMostOwnDescriptors] = {};

// Notes a descriptor just opened (-1 passes through). When every slot is taken, which the
// program's few files never do, the descriptor is closed again and the open fails (EMFILE):
// a descriptor the record does not hold would pass for the caller's.
int NoteOwnDescriptor(int descriptor) {
  if (descriptor < 0) {
    return descriptor;
  }
  for (std::atomic<int>& slot : ownDescriptors) {
    int free = 0;
    if (slot.compare_exchange_strong(free, descriptor + 1)) {
      return descriptor;
    }
  }
#if defined(_WIN32)
  _close(descriptor);
#else
  close(descriptor);
#endif
  errno = EMFILE;
  return -1;
}

void ForgetOwnDescriptor(int descriptor) {
  for (std::atomic<int>& slot : ownDescriptors) {
    int noted = descriptor + 1;
    if (slot.compare_exchange_strong(noted, 0)) {
      return;
    }
  }
}

#if defined(_WIN32)
// The largest count one _read or _write call takes.
constexpr size_t kMostPerCall = 1u << 30;

long long SeekTo(int descriptor, uint64_t offset) {
  return _lseeki64(descriptor, static_cast<long long>(offset), SEEK_SET);
}
#endif

// One read at the current position; -1 on an error other than an interruption.
long long ReadOnce(int descriptor, char* buffer, size_t capacity) {
  for (;;) {
#if defined(_WIN32)
    int got = _read(descriptor, buffer,
                    static_cast<unsigned>(capacity < kMostPerCall ? capacity : kMostPerCall));
#else
    ssize_t got = read(descriptor, buffer, capacity);
#endif
    if (got >= 0) {
      return got;
    }
    // A signal ended the wait, or Ctrl+C cancelled it on Windows: Ctrl+C is reported here, any
    // other signal waits again.
    PollInterrupt();
    if (errno != EINTR) {
      return -1;
    }
  }
}

}  // namespace

int OpenForReading(const std::string& name, FileIdentity* identity) {
#if defined(_WIN32)
  int descriptor = OpenDescriptor(name, _O_RDONLY, 0);
#else
  int descriptor = OpenDescriptor(name, O_RDONLY | O_NOCTTY, 0);
#endif
  if (descriptor >= 0 && (!IdentifyOpenFile(descriptor, identity) || identity->directory)) {
    CloseFile(descriptor);
    return -1;
  }
  return descriptor;
}

bool UsableFileName(const std::string& name) {
  return name.find('\0') == std::string::npos;
}

int OpenDescriptor(const std::string& name, int flags, int permissions) {
  if (!UsableFileName(name)) {
    errno = ENOENT;
    return -1;
  }
  for (;;) {
#if defined(_WIN32)
    int descriptor = _wopen(SystemPath(name).c_str(), flags | _O_BINARY, permissions);
#else
    int descriptor = open(name.c_str(), flags, static_cast<mode_t>(permissions));
#endif
    if (descriptor >= 0) {
      return NoteOwnDescriptor(descriptor);
    }
    int error = errno;
    PollInterrupt();
    if (error != EINTR) {
      errno = error;
      return -1;
    }
  }
}

#if !defined(_WIN32)
int OpenDescriptorAt(int directory, const std::string& name, int flags, int permissions) {
  if (!UsableFileName(name)) {
    errno = ENOENT;
    return -1;
  }
  return NoteOwnDescriptor(
      openat(directory, name.c_str(), flags, static_cast<mode_t>(permissions)));
}
#endif

bool OpenedByProgram(int descriptor) {
  for (const std::atomic<int>& slot : ownDescriptors) {
    if (slot.load() == descriptor + 1) {
      return true;
    }
  }
  return false;
}

bool ReadSome(int descriptor, char* buffer, size_t capacity, size_t* got) {
  long long count = ReadOnce(descriptor, buffer, capacity);
  if (count < 0) {
    return false;
  }
  *got = static_cast<size_t>(count);
  return true;
}

bool ReadAt(int descriptor, uint64_t offset, char* buffer, size_t capacity, size_t* got) {
  size_t total = 0;
#if defined(_WIN32)
  if (SeekTo(descriptor, offset) < 0) {
    return false;
  }
#endif
  while (total < capacity) {
#if defined(_WIN32)
    long long count = ReadOnce(descriptor, buffer + total, capacity - total);
#else
    ssize_t count =
        pread(descriptor, buffer + total, capacity - total, static_cast<off_t>(offset + total));
    if (count < 0) {
      PollInterrupt();
      if (errno == EINTR) {
        continue;
      }
    }
#endif
    if (count < 0) {
      return false;
    }
    if (count == 0) {
      break;
    }
    total += static_cast<size_t>(count);
  }
  *got = total;
  return true;
}

namespace {

// Hands `length` bytes to `writeSome(bytes, length, done)`, a call that takes some of them,
// until it has taken all. False when a call takes none or fails for another reason than a signal.
template <typename WriteSome>
bool WriteEvery(const char* bytes, size_t length, WriteSome writeSome) {
  for (size_t done = 0; done < length;) {
    long long written = writeSome(bytes + done, length - done, done);
    if (written <= 0) {
      PollInterrupt();
      if (written < 0 && errno == EINTR) {
        continue;
      }
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool WriteAll(int descriptor, const char* bytes, size_t length) {
  return WriteEvery(bytes, length, [descriptor](const char* rest, size_t count, size_t) {
#if defined(_WIN32)
    return static_cast<long long>(_write(
        descriptor, rest, static_cast<unsigned>(count < kMostPerCall ? count : kMostPerCall)));
#else
    return static_cast<long long>(write(descriptor, rest, count));
#endif
  });
}

bool WriteAllAt(int descriptor, uint64_t offset, const char* bytes, size_t length) {
#if defined(_WIN32)
  return SeekTo(descriptor, offset) >= 0 && WriteAll(descriptor, bytes, length);
#else
  return WriteEvery(bytes, length,
                    [descriptor, offset](const char* rest, size_t count, size_t done) {
                      return static_cast<long long>(
                          pwrite(descriptor, rest, count, static_cast<off_t>(offset + done)));
                    });
#endif
}

bool TruncateFile(int descriptor, uint64_t size) {
#if defined(_WIN32)
  return _chsize_s(descriptor, static_cast<long long>(size)) == 0;
#else
  return ftruncate(descriptor, static_cast<off_t>(size)) == 0;
#endif
}

bool CloseFile(int descriptor) {
#if defined(_WIN32)
  bool closed = _close(descriptor) == 0;
#else
  bool closed = close(descriptor) == 0;
#endif
  // Forgotten only once closed: no moment in which the descriptor is open and not noted.
  ForgetOwnDescriptor(descriptor);
  return closed;
}

bool IdentifyOpenFile(int descriptor, FileIdentity* identity) {
#if defined(_WIN32)
  struct _stat64 status;
  if (_fstat64(descriptor, &status) != 0) {
    return false;
  }
  identity->regular = (status.st_mode & _S_IFMT) == _S_IFREG;
  identity->directory = (status.st_mode & _S_IFMT) == _S_IFDIR;
  identity->size = static_cast<uint64_t>(status.st_size);
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  BY_HANDLE_FILE_INFORMATION information;
  if (identity->regular && handle != INVALID_HANDLE_VALUE &&
      GetFileInformationByHandle(handle, &information) != 0) {
    identity->device = information.dwVolumeSerialNumber;
    identity->inode = (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    identity->modified =
        static_cast<int64_t>((uint64_t{information.ftLastWriteTime.dwHighDateTime} << 32) |
                             information.ftLastWriteTime.dwLowDateTime);
    identity->changed = identity->modified;
  }
  return true;
#else
  struct stat status;
  if (fstat(descriptor, &status) != 0) {
    return false;
  }
  identity->regular = S_ISREG(status.st_mode);
  identity->directory = S_ISDIR(status.st_mode);
  identity->device = static_cast<uint64_t>(status.st_dev);
  identity->inode = static_cast<uint64_t>(status.st_ino);
  identity->size = static_cast<uint64_t>(status.st_size);
#if defined(__APPLE__)
  const struct timespec& modified = status.st_mtimespec;
  const struct timespec& changed = status.st_ctimespec;
#else
  const struct timespec& modified = status.st_mtim;
  const struct timespec& changed = status.st_ctim;
#endif
  identity->modified = int64_t{modified.tv_sec} * 1000000000 + modified.tv_nsec;
  identity->changed = int64_t{changed.tv_sec} * 1000000000 + changed.tv_nsec;
  return true;
#endif
}

bool SameContents(const FileIdentity& first, const FileIdentity& second) {
  return first.device == second.device && first.inode == second.inode &&
         first.size == second.size && first.modified == second.modified &&
         first.changed == second.changed && first.regular == second.regular;
}

std::string ScratchDirectory() {
#if defined(_WIN32)
  // GetTempPathW names at most MAX_PATH + 1 characters, with the final backslash.
  wchar_t directory[MAX_PATH + 2];
  DWORD length = GetTempPathW(MAX_PATH + 2, directory);
  return length == 0 || length > MAX_PATH + 1 ? std::string() : TextFromWide(directory, length);
#else
  const char* directory = std::getenv("TMPDIR");
  return directory == nullptr || *directory == '\0' ? "/tmp" : directory;
#endif
}

int OpenScratchFile() {
  const std::string directory = ScratchDirectory();
  if (directory.empty()) {
    return -1;
  }
#if defined(_WIN32)
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "sumwright-scratch-%x-%x.tmp",
                  static_cast<unsigned>(_getpid()), ++serial);
    // _O_TEMPORARY: the system removes the file when it is closed, also when the process dies.
    int descriptor =
        _wopen(SystemPath(directory + name).c_str(),
               _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_TEMPORARY, _S_IREAD | _S_IWRITE);
    if (descriptor >= 0 || errno != EEXIST) {
      return NoteOwnDescriptor(descriptor);
    }
  }
  return -1;
#else
#if defined(O_TMPFILE)
  // Never named (Linux): nothing is left behind, however the process ends.
  int unnamed = NoteOwnDescriptor(open(directory.c_str(), O_TMPFILE | O_RDWR | O_NOCTTY, 0600));
  if (unnamed >= 0) {
    return unnamed;
  }
#endif
  // Where the file system refuses that: named for a moment, during which no signal can end the
  // process and leave it.
  std::string pattern = directory + "/sumwright-scratch-XXXXXX";
  SignalHold hold;
  int descriptor = mkstemp(&pattern[0]);
  if (descriptor >= 0) {
    unlink(pattern.c_str());
  }
  return NoteOwnDescriptor(descriptor);
#endif
}

}  // namespace sumwright
