// What the output name stands for, and how the finished output takes its place: a file replaced
// by renaming a complete temporary file over it, or a stream written into.
#include "output/output_target.h"

#include <cerrno>
#include <cstdio>

#include "base/file_io.h"
#include "base/interrupt.h"

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

// How many temporary names are tried before giving up when others already exist.
constexpr int kNameAttempts = 100;

// The names that stand for a descriptor the process already holds, whatever it is open on: the
// descriptor itself is written into. True with its number in *descriptor.
bool DescriptorName(const std::string& name, int* descriptor) {
  if (name == "/dev/stdin" || name == "/dev/stdout" || name == "/dev/stderr") {
    *descriptor = name == "/dev/stdin" ? 0 : name == "/dev/stdout" ? 1 : 2;
    return true;
  }
  size_t digits = 0;
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    std::string text(prefix);
    if (name.compare(0, text.size(), text) == 0) {
      digits = text.size();
    }
  }
  if (digits == 0 || digits == name.size() || name.size() - digits > 9) {
    return false;
  }
  int number = 0;
  for (size_t i = digits; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') {
      return false;
    }
    number = number * 10 + (name[i] - '0');
  }
  *descriptor = number;
  return true;
}

unsigned long ProcessNumber() {
#if defined(_WIN32)
  return static_cast<unsigned long>(_getpid());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// The temporary names say whose they are and that they may be deleted; their length does not
// depend on the output name, so that any name the file system takes works.
std::string TemporaryName() {
  static unsigned long serial = 0;
  char text[64];
  std::snprintf(text, sizeof text, ".sumwright-%lx-%lx.tmp", ProcessNumber(), ++serial);
  return text;
}

bool IsSeparator(char c) {
#if defined(_WIN32)
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

// Splits `path` into its directory, up to and with its last separator (empty for the working
// directory), and its last name. False when there is no last name to replace ("dir/", ".").
bool SplitPath(const std::string& path, std::string* directory, std::string* fileName) {
  size_t last = path.size();
  while (last > 0 && !IsSeparator(path[last - 1])) {
    --last;
  }
  *directory = path.substr(0, last);
  *fileName = path.substr(last);
  return !fileName->empty() && *fileName != "." && *fileName != "..";
}

}  // namespace

#if !defined(_WIN32)

namespace {

constexpr int kMostLinks = 40;  // as the kernel does: more links in a row are a loop

#if defined(O_PATH)
// A directory that may be written and searched but not listed opens too.
constexpr int kDirectoryFlags = O_PATH | O_DIRECTORY;
#else
constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY;
#endif

bool ReadLink(const std::string& link, std::string* target) {
  for (size_t size = 256; size <= (size_t{1} << 20); size *= 2) {
    std::string text(size, '\0');
    ssize_t length = readlink(link.c_str(), &text[0], size);
    if (length < 0) {
      return false;
    }
    if (static_cast<size_t>(length) < size) {
      text.resize(static_cast<size_t>(length));
      *target = text;
      return !text.empty();
    }
  }
  return false;
}

// The name that `name` leads to through symbolic links, the way the kernel follows them: a
// relative link target is taken from the link's own directory. The last name may not exist.
// *followed tells whether any link was followed.
bool FollowLinks(const std::string& name, std::string* path, bool* followed) {
  std::string current = name;
  *followed = false;
  for (int hops = 0;; ++hops) {
    struct stat status;
    if (lstat(current.c_str(), &status) != 0) {
      if (errno != ENOENT) {
        return false;
      }
      break;
    }
    if (!S_ISLNK(status.st_mode)) {
      break;
    }
    std::string target;
    if (hops == kMostLinks || !ReadLink(current, &target)) {
      return false;
    }
    *followed = true;
    size_t slash = current.find_last_of('/');
    current = target[0] == '/' || slash == std::string::npos
                  ? target
                  : current.substr(0, slash + 1) + target;
  }
  *path = current;
  return true;
}

bool SameFile(const struct stat& first, const struct stat& second) {
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The file of that name in the target's directory, the name itself when it is a link.
bool StatInDirectory(const OutputTarget& target, struct stat* status) {
  return fstatat(target.directoryDescriptor, target.fileName.c_str(), status,
                 AT_SYMLINK_NOFOLLOW) == 0;
}

// Best effort: the process may not give a file to another owner, nor to a group it is not in.
// A set-user-ID or set-group-ID bit is kept only with the owner or group it belongs to.
void CarryOverAttributes(const OutputTarget& target, int descriptor) {
  mode_t permissions = static_cast<mode_t>(target.permissions & 07777);
  if (fchown(descriptor, static_cast<uid_t>(target.owner), static_cast<gid_t>(target.group)) != 0) {
    permissions &= static_cast<mode_t>(~S_ISUID);
    if (fchown(descriptor, static_cast<uid_t>(-1), static_cast<gid_t>(target.group)) != 0) {
      permissions &= static_cast<mode_t>(~S_ISGID);
    }
  }
  fchmod(descriptor, permissions);
}

}  // namespace

bool FindOutputTarget(const std::string& name, OutputTarget* target) {
  *target = OutputTarget{};
  target->name = name;
  // A NUL byte would make every call below see only the name before it.
  if (name.find('\0') != std::string::npos) {
    return false;
  }
  int descriptor = -1;
  if (DescriptorName(name, &descriptor)) {
    int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || ((flags & O_ACCMODE) != O_WRONLY && (flags & O_ACCMODE) != O_RDWR)) {
      return false;
    }
    target->kind = OutputStream;
    target->stream = descriptor;
    return true;
  }
  // Opened for writing, as the kernel allows it: it follows links only where the system's rules
  // let it, and refuses files this user may not write. O_NONBLOCK: a FIFO without a reader
  // fails at once (ENXIO) instead of waiting.
  int opened = OpenDescriptor(name, O_WRONLY | O_NOCTTY | O_NONBLOCK, 0);
  if (opened < 0 && errno != ENOENT) {
    return false;
  }
  struct stat reached {};
  if (opened >= 0) {
    bool known = fstat(opened, &reached) == 0;
    if (known && (S_ISFIFO(reached.st_mode) || S_ISCHR(reached.st_mode))) {
      // Written with blocking writes from here on; a signal interrupts them.
      int flags = fcntl(opened, F_GETFL);
      if (flags >= 0 && fcntl(opened, F_SETFL, flags & ~O_NONBLOCK) == 0) {
        target->kind = OutputStream;
        target->stream = opened;
        target->ownsStream = true;
        return true;
      }
      known = false;
    }
    CloseFile(opened);
    // A block device is never renamed over, nor written into.
    if (!known || !S_ISREG(reached.st_mode)) {
      return false;
    }
    target->permissions = static_cast<uint32_t>(reached.st_mode);
    target->owner = static_cast<uint32_t>(reached.st_uid);
    target->group = static_cast<uint32_t>(reached.st_gid);
  }
  std::string path;
  if (!FollowLinks(name, &path, &target->throughLink) ||
      !SplitPath(path, &target->directory, &target->fileName)) {
    return false;
  }
  target->directoryDescriptor =
      OpenDescriptor(target->directory.empty() ? "." : target->directory, kDirectoryFlags, 0);
  if (target->directoryDescriptor < 0) {
    return false;
  }
  struct stat there;
  bool present = StatInDirectory(*target, &there);
  // The rename replaces exactly the file that the open reached, or, for a new file, a name
  // that is still free.
  if (opened >= 0 ? !present || !SameFile(reached, there) : present) {
    CloseOutputTarget(target);
    return false;
  }
  target->kind = opened >= 0 ? ReplacedOutputFile : NewOutputFile;
  return true;
}

int CreateTemporaryFile(const OutputTarget& target, std::string* temporaryName) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string candidate = TemporaryName();
    int descriptor = openat(target.directoryDescriptor, candidate.c_str(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOCTTY, 0666);
    if (descriptor >= 0) {
      if (target.kind == ReplacedOutputFile) {
        CarryOverAttributes(target, descriptor);
      }
      *temporaryName = candidate;
      return descriptor;
    }
    int error = errno;
    PollInterrupt();
    if (error != EEXIST && error != EINTR) {
      return -1;
    }
  }
  return -1;
}

void RemoveTemporaryFile(const OutputTarget& target, const std::string& temporaryName) {
  unlinkat(target.directoryDescriptor, temporaryName.c_str(), 0);
}

bool ReplaceTarget(const OutputTarget& target, const std::string& temporaryName) {
  if (target.throughLink) {
    // Through the kernel again, now: it creates a missing target as an open for writing
    // would, or refuses a link it may not follow. A link changed since the start of the run
    // leads elsewhere and fails the check.
    int opened = OpenDescriptor(target.name, O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK, 0666);
    if (opened < 0) {
      return false;
    }
    struct stat reached;
    bool regular = fstat(opened, &reached) == 0 && S_ISREG(reached.st_mode);
    CloseFile(opened);
    struct stat there;
    if (!regular || !StatInDirectory(target, &there) || !SameFile(reached, there)) {
      return false;
    }
  }
  return renameat(target.directoryDescriptor, temporaryName.c_str(), target.directoryDescriptor,
                  target.fileName.c_str()) == 0;
}

bool WriteToStream(const OutputTarget& target, const char* bytes, size_t length) {
  return WriteAll(target.stream, bytes, length);
}

bool CloseOutputTarget(OutputTarget* target) {
  bool closed = true;
  if (target->directoryDescriptor >= 0) {
    CloseFile(target->directoryDescriptor);
    target->directoryDescriptor = -1;
  }
  if (target->ownsStream && target->stream >= 0) {
    closed = CloseFile(target->stream);
  }
  target->stream = -1;
  target->ownsStream = false;
  return closed;
}

#else  // Windows

namespace {

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
  return CreateFileA(name.c_str(), GENERIC_WRITE,
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
  HANDLE handle = CreateFileA(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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
  char buffer[MAX_PATH * 4];
  DWORD length = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer,
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= sizeof buffer) {
    return false;
  }
  *path = PlainPath(std::string(buffer, length));
  return true;
}

bool IsLink(const std::string& name) {
  DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The path of the file that `name`, opened as `handle`, reached: the name itself, or through a
// symbolic link the link's final target. *throughLink tells which.
bool ReachedPath(const std::string& name, HANDLE handle, std::string* path, bool* throughLink) {
  char full[MAX_PATH * 4];
  DWORD length = GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
  std::string finalPath;
  if (length == 0 || length >= sizeof full || !FinalPath(handle, &finalPath)) {
    // Without a final path only a name that is no link can be replaced.
    *path = name;
    *throughLink = false;
    return !IsLink(name);
  }
  // Names of one file differ only in letter case unless a link led elsewhere.
  *throughLink =
      CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, full, static_cast<int>(length),
                     finalPath.c_str(), static_cast<int>(finalPath.size())) != CSTR_EQUAL;
  *path = *throughLink ? finalPath : name;
  return true;
}

}  // namespace

bool FindOutputTarget(const std::string& name, OutputTarget* target) {
  *target = OutputTarget{};
  target->name = name;
  if (name.find('\0') != std::string::npos) {
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

int CreateTemporaryFile(const OutputTarget& target, std::string* temporaryName) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string candidate = TemporaryName();
    int descriptor = _open((target.directory + candidate).c_str(),
                           _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
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

void RemoveTemporaryFile(const OutputTarget& target, const std::string& temporaryName) {
  std::remove((target.directory + temporaryName).c_str());
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
  std::string from = target.directory + temporaryName;
  // A scanner or indexer may hold either file for a moment: try again briefly before failing.
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (MoveFileExA(from.c_str(), finalName.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
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

#endif

}  // namespace sumwright
