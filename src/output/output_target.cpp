// SPDX-License-Identifier: MIT
// What the output name stands for, and how the finished output takes its place: a file replaced
// by renaming a complete temporary file over it, or a stream written into. The POSIX side; the
// Windows side is output_target_windows.cpp.
#include "output/output_target.h"

#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <initializer_list>

#include "base/file_io.h"
#include "base/interrupt.h"
#include "output/output_names.h"

namespace sumwright {

namespace {

// How many temporary names are tried before giving up when others already exist.
constexpr int kNameAttempts = 100;

// How many times the output name is looked at while its entry keeps changing under the look.
constexpr int kMostLooks = 16;

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

bool SameFile(const struct stat& first, const struct stat& second) {
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// True for the directory that lists the process's own descriptors (/proc/self/fd, or that of the
// calling thread), however it is named.
bool IsOwnDescriptorDirectory(const std::string& directory) {
  struct stat there;
  if (stat(directory.empty() ? "." : directory.c_str(), &there) != 0) {
    return false;
  }
  for (const char* own : {"/proc/self/fd", "/proc/thread-self/fd"}) {
    struct stat status;
    if (stat(own, &status) == 0 && SameFile(status, there)) {
      return true;
    }
  }
  return false;
}

// The name that `name` leads to through symbolic links, the way the kernel follows them: a
// relative link target is taken from the link's own directory. The last name may not exist.
// *followed tells whether any link was followed. Where the way reaches an entry of the process's
// own descriptor directory, it stops there with that descriptor's number in *descriptor (-1
// otherwise): whatever the descriptor is open on, such an entry stands for the descriptor.
bool FollowLinks(const std::string& name, std::string* path, bool* followed, int* descriptor) {
  std::string current = name;
  *followed = false;
  *descriptor = -1;
  for (int hops = 0;; ++hops) {
    std::string directory;
    std::string last;
    if (SplitPath(current, &directory, &last) && DescriptorName("/dev/fd/" + last, descriptor)) {
      if (IsOwnDescriptorDirectory(directory)) {
        break;
      }
      *descriptor = -1;
    }
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
    current = target[0] == '/' ? target : directory + target;
  }
  *path = current;
  return true;
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

// A descriptor the caller passed on: a stream written into, if it is open for writing. One the
// program opened itself (its input, a scratch file, the null device it put on a closed standard
// stream) is refused whatever it is open on: the output would go where nobody looks.
bool UseCallerDescriptor(int descriptor, OutputTarget* target) {
  if (OpenedByProgram(descriptor)) {
    return false;
  }
  int flags = fcntl(descriptor, F_GETFL);
  if (flags < 0 || ((flags & O_ACCMODE) != O_WRONLY && (flags & O_ACCMODE) != O_RDWR)) {
    return false;
  }
  target->kind = OutputStream;
  target->stream = descriptor;
  return true;
}

// The temporary file, created exclusively under a new name.
int CreateNamedFile(const OutputTarget& target, std::string* temporaryName) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string candidate = TemporaryName();
    int descriptor = OpenDescriptorAt(target.directoryDescriptor, candidate,
                                      O_RDWR | O_CREAT | O_EXCL | O_NOCTTY, 0666);
    if (descriptor >= 0) {
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

// Through the kernel again, now, creating nothing: it refuses a link it may not follow, and a
// link changed since the start of the run leads elsewhere and fails the check. Where the file
// is missing, the link must lead to that free name in the very directory held.
bool LinkLeadsToTarget(const OutputTarget& target) {
  int opened = OpenDescriptor(target.name, O_WRONLY | O_NOCTTY | O_NONBLOCK, 0);
  int error = errno;
  struct stat there;
  bool present = StatInDirectory(target, &there);
  if (opened >= 0) {
    struct stat reached;
    bool regular = fstat(opened, &reached) == 0 && S_ISREG(reached.st_mode);
    CloseFile(opened);
    return regular && present && SameFile(reached, there);
  }
  std::string path;
  std::string directory;
  std::string fileName;
  bool followed = false;
  int descriptor = -1;
  struct stat now;
  struct stat held;
  return error == ENOENT && !present && FollowLinks(target.name, &path, &followed, &descriptor) &&
         descriptor < 0 && SplitPath(path, &directory, &fileName) && fileName == target.fileName &&
         stat(directory.empty() ? "." : directory.c_str(), &now) == 0 &&
         fstat(target.directoryDescriptor, &held) == 0 && SameFile(now, held);
}

#if defined(O_TMPFILE)
// Links the unnamed file `descriptor` to `name` in `directory`; the result of linkat.
int LinkUnnamedFile(int descriptor, TemporaryNaming naming, int directory, const char* name) {
  if (naming == LinkedByDescriptor) {
    return linkat(descriptor, "", directory, name, AT_EMPTY_PATH);
  }
  char path[40];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", descriptor);
  return linkat(AT_FDCWD, path, directory, name, AT_SYMLINK_FOLLOW);
}

// The temporary file without a name, and the first way of linking it that works: by its
// descriptor, which needs CAP_DAC_READ_SEARCH where the kernel does not let the process that
// opened the file do it, else through /proc, which needs /proc. Each way is tried with "." as
// the new name, which exists: a way that works gets as far as the new name and fails with
// EEXIST, creating nothing; one that does not fails before (ENOENT). -1 when the file system
// refuses unnamed files (EOPNOTSUPP; EISDIR on kernels that do not know them) or no way works.
int CreateUnnamedFile(const OutputTarget& target, TemporaryNaming* naming) {
  // Never with O_EXCL, which would make the file impossible to link.
  int descriptor =
      OpenDescriptorAt(target.directoryDescriptor, ".", O_TMPFILE | O_RDWR | O_NOCTTY, 0666);
  if (descriptor < 0) {
    return -1;
  }
  for (TemporaryNaming way : {LinkedByDescriptor, LinkedThroughProc}) {
    if (LinkUnnamedFile(descriptor, way, target.directoryDescriptor, ".") != 0 && errno == EEXIST) {
      *naming = way;
      return descriptor;
    }
  }
  CloseFile(descriptor);
  return -1;
}
#endif

// What one look at the output name found.
enum class Look {
  Found,
  Refused,
  // The entry that the open reached was replaced before it could be checked: another run
  // renamed its finished output over the name, say. The name is looked at again.
  EntryChanged,
};

// Opens the name for writing as the kernel allows it, creating and truncating nothing: it follows
// links only where the system's rules let it, and refuses files this user may not write.
// O_NONBLOCK: a FIFO without a reader fails at once (ENXIO) instead of waiting. A FIFO or a
// character device becomes the target's stream, held open. For a regular file, *reached
// describes it and *exists turns true; for a free name *exists stays false. False when the open
// fails otherwise, and for anything that is neither (a block device, a directory).
bool ReachForWriting(const std::string& name, OutputTarget* target, struct stat* reached,
                     bool* exists) {
  *exists = false;
  int opened = OpenDescriptor(name, O_WRONLY | O_NOCTTY | O_NONBLOCK, 0);
  if (opened < 0) {
    return errno == ENOENT;
  }
  bool known = fstat(opened, reached) == 0;
  if (known && (S_ISFIFO(reached->st_mode) || S_ISCHR(reached->st_mode))) {
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
  *exists = true;
  return known && S_ISREG(reached->st_mode);
}

// Holds open the directory of `path`, where the temporary file and the rename go, and names the
// file in it.
bool HoldDirectory(const std::string& path, OutputTarget* target) {
  if (!SplitPath(path, &target->directory, &target->fileName)) {
    return false;
  }
  target->directoryDescriptor =
      OpenDescriptor(target->directory.empty() ? "." : target->directory, kDirectoryFlags, 0);
  return target->directoryDescriptor >= 0;
}

// One look at what `name` stands for now. Holds nothing unless it returns Found.
Look LookAtName(const std::string& name, OutputTarget* target) {
  // A name of a descriptor as it stands, or one that leads to the process's own descriptor
  // directory (//dev/stdout, /dev/fd/./1, /proc/<pid>/fd/1, a link to /proc/self/fd/1): the
  // descriptor, whatever it is open on, never a file renamed over.
  int descriptor = -1;
  if (DescriptorName(name, &descriptor)) {
    return UseCallerDescriptor(descriptor, target) ? Look::Found : Look::Refused;
  }
  std::string path;
  bool pathKnown = FollowLinks(name, &path, &target->throughLink, &descriptor);
  if (pathKnown && descriptor >= 0) {
    return UseCallerDescriptor(descriptor, target) ? Look::Found : Look::Refused;
  }
  struct stat reached {};
  bool exists = false;
  if (!ReachForWriting(name, target, &reached, &exists)) {
    return Look::Refused;
  }
  if (target->kind == OutputStream) {
    return Look::Found;
  }
  if (!pathKnown || !HoldDirectory(path, target)) {
    return Look::Refused;
  }
  if (!exists) {
    // A free name that is taken meanwhile (by another run, say) is simply replaced, as any
    // rename would; through a link the check is made again just before the rename.
    target->kind = NewOutputFile;
    return Look::Found;
  }
  // The rename must replace exactly the file that the open reached.
  struct stat there;
  if (!StatInDirectory(*target, &there) || !SameFile(reached, there)) {
    CloseOutputTarget(target);
    return Look::EntryChanged;
  }
  target->kind = ReplacedOutputFile;
  target->permissions = static_cast<uint32_t>(reached.st_mode);
  target->owner = static_cast<uint32_t>(reached.st_uid);
  target->group = static_cast<uint32_t>(reached.st_gid);
  return Look::Found;
}

}  // namespace

bool FindOutputTarget(const std::string& name, OutputTarget* target) {
  for (int look = 0; look < kMostLooks; ++look) {
    *target = OutputTarget{};
    target->name = name;
    if (!UsableFileName(name)) {
      return false;
    }
    Look found = LookAtName(name, target);
    if (found != Look::EntryChanged) {
      return found == Look::Found;
    }
  }
  return false;
}

int CreateTemporaryFile(const OutputTarget& target, std::string* temporaryName,
                        TemporaryNaming* naming) {
  *naming = NamedAtCreation;
  int descriptor = -1;
#if defined(O_TMPFILE)
  descriptor = CreateUnnamedFile(target, naming);
#endif
  if (descriptor < 0) {
    descriptor = CreateNamedFile(target, temporaryName);
  }
  if (descriptor >= 0 && target.kind == ReplacedOutputFile) {
    CarryOverAttributes(target, descriptor);
  }
  return descriptor;
}

bool NameTemporaryFile(const OutputTarget& target, int descriptor, TemporaryNaming naming,
                       std::string* temporaryName) {
#if defined(O_TMPFILE)
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string candidate = TemporaryName();
    if (LinkUnnamedFile(descriptor, naming, target.directoryDescriptor, candidate.c_str()) == 0) {
      *temporaryName = candidate;
      return true;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
#else
  // Not called: every temporary file here is named when it is created.
  (void)target, (void)descriptor, (void)naming, (void)temporaryName;
  return false;
#endif
}

void RemoveTemporaryFile(const OutputTarget& target, const std::string& temporaryName) {
  unlinkat(target.directoryDescriptor, temporaryName.c_str(), 0);
}

bool ReplaceTarget(const OutputTarget& target, const std::string& temporaryName) {
  if (target.throughLink && !LinkLeadsToTarget(target)) {
    return false;
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

}  // namespace sumwright

#endif
