// SPDX-License-Identifier: MIT
// Writes messages, the usage text and internal-error reports to the standard error stream.
#include "base/messages.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "base/error_stream.h"
#include "base/process_exit.h"

namespace sumwright {

namespace {

#if defined(_WIN32)
// The message in one piece, for WriteErrorText; without memory for a long one, its bytes as
// they stand.
void WriteFormatted(const char* format, va_list arguments) {
  char small[512];
  va_list copy;
  va_copy(copy, arguments);
  int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) {
    return;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    WriteErrorText(std::string_view(small, static_cast<size_t>(length)));
    return;
  }
  std::unique_ptr<char[]> large(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
  if (large == nullptr) {
    std::vfprintf(stderr, format, arguments);
    return;
  }
  std::vsnprintf(large.get(), static_cast<size_t>(length) + 1, format, arguments);
  WriteErrorText(std::string_view(large.get(), static_cast<size_t>(length)));
}
#endif

}  // namespace

void Message(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
#if defined(_WIN32)
  WriteFormatted(format, arguments);
#else
  std::vfprintf(stderr, format, arguments);
#endif
  va_end(arguments);
}

void PrintUsage() {
  // The ellipsis of line 6 is the two bytes 0x81 0x63, written as they stand; a console shows
  // it as the character it is.
  static const char kBeforeEllipsis[] =
      "Usage: sumwright[ {<file name>| <option spec.>}...]\n"
      "                     <option spec.>:-<option>[=<parameter>[,...]]\n"
      "Options:\n"
      "--------------------------------- [OPTIONS] ------------------------------------\n"
      "-CRc=<sub>\t\tGenerate a CRC code\n"
      "<sub>: <addr>=<start>-<end>[,";
  static const char kAfterEllipsis[] =
      "][/{CCITT|16}]\n"
      "\n"
      "-OUtput=<file>\t\tSpecify an output file\n"
      "\n"
      "-Endian={big|little}\tSpecify the type of endian of a generated CRC code\n"
      "\n"
      "-SUbcommand=<file>\tSpecify a name of subcommand file\n";
  if (ErrorStreamIsConsole()) {
    // U+2026 HORIZONTAL ELLIPSIS in UTF-8.
    WriteErrorText(std::string(kBeforeEllipsis) + "\xE2\x80\xA6" + kAfterEllipsis);
    return;
  }
  std::fputs(kBeforeEllipsis, stderr);
  std::fputs("\x81\x63", stderr);
  std::fputs(kAfterEllipsis, stderr);
}

void ReportInternalError(ErrorPlace place) {
  Message(kL4000InternalError, place.category, place.location, "(null)");
  EndProcess(1);
}

}  // namespace sumwright
