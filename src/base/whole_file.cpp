// Reads a whole file into memory in one piece, in binary mode.
#include "base/whole_file.h"

#include <cstdint>
#include <cstdio>

#include "base/interrupt.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace sumwright {

namespace {

// Size of the file in bytes from its end position, or -1 when the stream cannot tell.
long long StreamSize(std::FILE* file) {
#if defined(_WIN32)
  if (_fseeki64(file, 0, SEEK_END) != 0) {
    return -1;
  }
  long long size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0) {
    return -1;
  }
#else
  if (std::fseek(file, 0, SEEK_END) != 0) {
    return -1;
  }
  long long size = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    return -1;
  }
#endif
  return size;
}

// Sizes the buffer for `size` bytes. On Linux, large buffers are first offered huge pages, which
// saves most of the page faults of filling tens of megabytes.
void SizeBuffer(ByteBuffer* bytes, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const uintptr_t kHugePage = uintptr_t{2} << 20;
  if (size >= 4 * kHugePage) {
    bytes->reserve(size);
    uintptr_t begin =
        (reinterpret_cast<uintptr_t>(bytes->data()) + kHugePage - 1) & ~(kHugePage - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(bytes->data()) + size) & ~(kHugePage - 1);
    if (begin < end) {
      madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
  }
#endif
  bytes->resize(size);
}

// Appends everything from the current position to the end of the stream, a chunk at a time.
bool ReadRest(std::FILE* file, ByteBuffer* bytes) {
  const size_t kChunk = 1 << 16;
  for (;;) {
    PollInterrupt();
    size_t used = bytes->size();
    bytes->resize(used + kChunk);
    size_t got = std::fread(bytes->data() + used, 1, kChunk, file);
    bytes->resize(used + got);
    if (got < kChunk) {
      return std::ferror(file) == 0;
    }
  }
}

}  // namespace

bool ReadWholeFile(const std::string& name, ByteBuffer* bytes) {
  bytes->clear();
  if (name.find('\0') != std::string::npos) {
    return false;
  }
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  long long size = StreamSize(file);
  if (size < 0) {
    std::clearerr(file);
  }
  // The first byte comes before any buffer is sized: a directory opens but cannot be read,
  // and its reported size means nothing.
  bool ok = true;
  int first = std::fgetc(file);
  if (first == EOF) {
    ok = std::ferror(file) == 0;
  } else if (size > 0) {
    SizeBuffer(bytes, static_cast<size_t>(size));
    (*bytes)[0] = static_cast<char>(first);
    size_t got = std::fread(bytes->data() + 1, 1, bytes->size() - 1, file);
    bytes->resize(got + 1);
    if (std::ferror(file) != 0) {
      ok = false;
    } else if (got + 1 == static_cast<size_t>(size)) {
      // A file that grew since its size was taken is read to its end too.
      int next = std::fgetc(file);
      if (next != EOF) {
        bytes->push_back(static_cast<char>(next));
        ok = ReadRest(file, bytes);
      } else {
        ok = std::ferror(file) == 0;
      }
    }
  } else {
    // Size unknown (a pipe or a device): read until the end.
    bytes->push_back(static_cast<char>(first));
    ok = ReadRest(file, bytes);
  }
  if (std::fclose(file) != 0) {
    ok = false;
  }
  if (!ok) {
    bytes->clear();
  }
  return ok;
}

}  // namespace sumwright
