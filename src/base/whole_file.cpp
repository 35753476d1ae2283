// Reads a whole file into memory in one piece, in binary mode.
#include "base/whole_file.h"

#include <fcntl.h>

#include <cstdint>
#include <cstring>

#include "base/file_io.h"
#include "base/interrupt.h"

namespace sumwright {

namespace {

constexpr size_t kProbe = size_t{1} << 16;

// Closes the file however the read ends, a thrown std::bad_alloc included.
struct OpenFile {
  int descriptor;
  ~OpenFile() { CloseFile(descriptor); }
};

// Fills *bytes up to its size from the current position; *used is how many bytes it holds then,
// fewer than its size only at the end of the file.
bool FillBuffer(int descriptor, ByteBuffer* bytes, size_t* used) {
  while (*used < bytes->size()) {
    PollInterrupt();
    size_t got = 0;
    if (!ReadSome(descriptor, bytes->data() + *used, bytes->size() - *used, &got)) {
      return false;
    }
    if (got == 0) {
      break;
    }
    *used += got;
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& name, uint64_t limit, ByteBuffer* bytes, bool* tooLarge) {
  bytes->clear();
  *tooLarge = false;
  FileIdentity identity;
  int descriptor = OpenForReading(name, &identity);
  if (descriptor < 0) {
    return false;
  }
  OpenFile file{descriptor};
  if (identity.regular && identity.size > limit) {
    *tooLarge = true;
    return false;
  }
  size_t used = 0;
  // A regular file is read into one piece of its size. What a pipe or a device holds, or what a
  // file gained since its size was taken, is looked at in a probe first and grows the buffer
  // only when there is more, by doubling, so that a large file is not copied many times over.
  if (identity.regular && identity.size > 0) {
    bytes->resize(static_cast<size_t>(identity.size));
  }
  for (;;) {
    if (!FillBuffer(descriptor, bytes, &used)) {
      bytes->clear();
      return false;
    }
    if (used > limit) {
      *tooLarge = true;
      bytes->clear();
      return false;
    }
    if (used < bytes->size()) {
      break;
    }
    char probe[kProbe];
    size_t got = 0;
    PollInterrupt();
    if (!ReadSome(descriptor, probe, sizeof probe, &got)) {
      bytes->clear();
      return false;
    }
    if (got == 0) {
      break;
    }
    if (got > limit - used) {
      *tooLarge = true;
      bytes->clear();
      return false;
    }
    // Never more than limit + 1 bytes: one past the limit shows that the file is too large.
    uint64_t grown = used < kProbe ? uint64_t{2} * kProbe : uint64_t{2} * used;
    if (grown > limit) {
      grown = limit + 1;
    }
    bytes->resize(static_cast<size_t>(grown));
    std::memcpy(bytes->data() + used, probe, got);
    used += got;
  }
  bytes->resize(used);
  return true;
}

}  // namespace sumwright
