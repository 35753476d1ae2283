// Writes messages, the usage text and internal-error reports to the standard error stream.
#include "base/messages.h"

#include <cstdarg>
#include <cstdio>

#include "base/process_exit.h"

namespace sumwright {

void Message(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
}

void PrintUsage() {
  // The ellipsis of line 6 is the two bytes 0x81 0x63, written as they stand.
  static const char kUsage[] =
      "Usage: sumwright[ {<file name>| <option spec.>}...]\n"
      "                     <option spec.>:-<option>[=<parameter>[,...]]\n"
      "Options:\n"
      "--------------------------------- [OPTIONS] ------------------------------------\n"
      "-CRc=<sub>\t\tGenerate a CRC code\n"
      "<sub>: <addr>=<start>-<end>[,\x81\x63][/{CCITT|16}]\n"
      "\n"
      "-OUtput=<file>\t\tSpecify an output file\n"
      "\n"
      "-Endian={big|little}\tSpecify the type of endian of a generated CRC code\n"
      "\n"
      "-SUbcommand=<file>\tSpecify a name of subcommand file\n";
  std::fputs(kUsage, stderr);
}

void ReportInternalError(ErrorPlace place) {
  Message(kL4000InternalError, place.category, place.location, "(null)");
  EndProcess(1);
}

}  // namespace sumwright
