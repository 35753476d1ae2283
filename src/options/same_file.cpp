// SPDX-License-Identifier: MIT
// Whether two file names name the same existing file.
#include "options/same_file.h"

#include "base/file_io.h"

#if defined(_WIN32)
#include <windows.h>

#include "base/windows_path.h"
#else
#include <sys/stat.h>
#endif

namespace sumwright {

namespace {

#if defined(_WIN32)

struct NameIdentity {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
};

bool IdentifyFile(const std::string& name, NameIdentity* identity) {
  // Opening for no access with every sharing mode never disturbs a file that is open elsewhere;
  // FILE_FLAG_BACKUP_SEMANTICS lets the call open a directory too.
  HANDLE handle = CreateFileW(SystemPath(name).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION information;
  BOOL known = GetFileInformationByHandle(handle, &information);
  CloseHandle(handle);
  if (!known) {
    return false;
  }
  identity->volume = information.dwVolumeSerialNumber;
  identity->indexHigh = information.nFileIndexHigh;
  identity->indexLow = information.nFileIndexLow;
  return true;
}

bool SameIdentity(const NameIdentity& first, const NameIdentity& second) {
  return first.volume == second.volume && first.indexHigh == second.indexHigh &&
         first.indexLow == second.indexLow;
}

#else

struct NameIdentity {
  dev_t device;
  ino_t inode;
};

bool IdentifyFile(const std::string& name, NameIdentity* identity) {
  // stat follows symbolic links, so a link names the file it points to.
  struct stat status;
  if (stat(name.c_str(), &status) != 0) {
    return false;
  }
  identity->device = status.st_dev;
  identity->inode = status.st_ino;
  return true;
}

bool SameIdentity(const NameIdentity& first, const NameIdentity& second) {
  return first.device == second.device && first.inode == second.inode;
}

#endif

}  // namespace

bool NamesSameFile(const std::string& first, const std::string& second) {
  if (!UsableFileName(first) || !UsableFileName(second)) {
    return false;
  }
  NameIdentity firstIdentity;
  NameIdentity secondIdentity;
  if (!IdentifyFile(first, &firstIdentity) || !IdentifyFile(second, &secondIdentity)) {
    return false;
  }
  return SameIdentity(firstIdentity, secondIdentity);
}

}  // namespace sumwright
