// The names the output stage gives meaning to: names of the process's own descriptors, the
// temporary file's name, and a path taken apart into its directory and last name.
#include "output/output_names.h"

#include <cstdio>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace sumwright {

namespace {

unsigned long ProcessNumber() {
#if defined(_WIN32)
  return static_cast<unsigned long>(_getpid());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

bool IsSeparator(char c) {
#if defined(_WIN32)
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

}  // namespace

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
  // Up to 9 digits: the number fits an int.
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

std::string TemporaryName() {
  static unsigned long serial = 0;
  char text[64];
  std::snprintf(text, sizeof text, ".sumwright-%lx-%lx.tmp", ProcessNumber(), ++serial);
  return text;
}

bool SplitPath(const std::string& path, std::string* directory, std::string* fileName) {
  size_t last = path.size();
  while (last > 0 && !IsSeparator(path[last - 1])) {
    --last;
  }
  *directory = path.substr(0, last);
  *fileName = path.substr(last);
  return !fileName->empty() && *fileName != "." && *fileName != "..";
}

}  // namespace sumwright
