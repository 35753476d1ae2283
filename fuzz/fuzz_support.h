// Helpers shared by the fuzz targets: line splitting, checks of promises, a quiet stderr.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace sumwright {

// The longest record text the scan passes to a reader, without its line end.
constexpr size_t kFuzzMaxLineLength = 522;

// Calls `read(text, length)` for every line of the buffer: a line ends at a line feed, a
// carriage return before it belongs to the line end, and a line longer than the scan accepts
// is cut to that length. Stops at the first line for which `read` returns false.
template <typename Reader>
void ForEachLine(const uint8_t* data, size_t size, Reader read) {
  const char* position = reinterpret_cast<const char*>(data);
  const char* const end = position + size;
  while (position != end) {
    const char* lineFeed =
        static_cast<const char*>(std::memchr(position, '\n', static_cast<size_t>(end - position)));
    const char* textEnd = lineFeed != nullptr ? lineFeed : end;
    const char* next = lineFeed != nullptr ? lineFeed + 1 : end;
    if (textEnd != position && textEnd[-1] == '\r') {
      --textEnd;
    }
    size_t length = static_cast<size_t>(textEnd - position);
    if (length > kFuzzMaxLineLength) {
      length = kFuzzMaxLineLength;
    }
    if (!read(position, length)) {
      return;
    }
    position = next;
  }
}

// A broken promise of the code under test: names it and ends the run as a crash that the fuzzer
// reports with the input.
inline void FuzzCheck(bool holds, const char* promise) {
  if (!holds) {
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::fflush(stderr);
    std::abort();
  }
}

// While it lives, the program's messages on the standard error stream go to /dev/null, so that
// the fuzzer's own report stays readable; a crash report is printed after it has ended.
struct QuietStandardError {
  int saved = -1;
  QuietStandardError() {
    std::fflush(stderr);
    saved = dup(2);
    int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) {
      dup2(null, 2);
    }
    if (null >= 0) {
      close(null);
    }
  }
  ~QuietStandardError() {
    std::fflush(stderr);
    if (saved >= 0) {
      dup2(saved, 2);
      close(saved);
    }
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;
};

// True when a view handed out by a field accessor lies inside the line it was taken from.
inline bool InsideLine(std::string_view view, const char* line, size_t length) {
  return view.data() >= line && view.size() <= length && view.data() + view.size() <= line + length;
}

// The first four bytes as a code address (fewer bytes: what there is), consumed from the input.
inline uint32_t TakeCodeAddress(const uint8_t** data, size_t* size) {
  uint32_t address = 0;
  size_t count = *size < 4 ? *size : 4;
  for (size_t i = 0; i < count; ++i) {
    address = (address << 8) | (*data)[i];
  }
  *data += count;
  *size -= count;
  return address;
}

}  // namespace sumwright
