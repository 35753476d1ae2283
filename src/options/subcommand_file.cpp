// SPDX-License-Identifier: MIT
// Subcommand files: further option tokens, one per line.
#include "options/subcommand_file.h"

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/interrupt.h"
#include "base/messages.h"
#include "base/whole_file.h"
#include "base/wide_text.h"
#include "options/find_text.h"

namespace sumwright {

namespace {

// Internal-error place of subcommand file reading: memory that cannot be had, or a file beyond
// the bounds below.

// A subcommand file holds a few options; a -crc line with a hundred thousand ranges still takes
// under 2 MiB. The bounds keep a runaway file (a device that never ends, a file of millions of
// empty lines) from taking all memory: its bytes, and its lines, each of which becomes a token.
constexpr uint64_t kMostBytes = uint64_t{16} << 20;
constexpr size_t kMostLines = size_t{1} << 16;

// The number of lines: each ends at LF, and text after the last LF is one more.
size_t CountLines(const ByteBuffer& bytes) {
  size_t lines = 0;
  const char* at = bytes.data();
  const char* end = bytes.data() + bytes.size();
  while (at < end) {
    const void* lineFeed = std::memchr(at, '\n', static_cast<size_t>(end - at));
    ++lines;
    at = lineFeed == nullptr ? end : static_cast<const char*>(lineFeed) + 1;
  }
  return lines;
}

// The file's text as names travel inside the program, without a UTF-8 byte order mark at its
// start, which an editor may write and which belongs to no line. On Windows, a file that is not
// UTF-8 (with the mark or valid without it) was saved in the ANSI code page (Shift_JIS on a
// Japanese system, for instance), and is turned into UTF-8.
std::string_view FileText(const ByteBuffer& bytes, std::string* converted) {
  std::string_view text(bytes.data(), bytes.size());
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    return text.substr(kUtf8Mark.size());
  }
#if defined(_WIN32)
  if (!IsUtf8(text)) {
    *converted = TextFromAnsi(text);
    return *converted;
  }
#else
  (void)converted;
#endif
  return text;
}

// Appends the lines of `text` as tokens; false when a line names a subcommand file (after L2003
// for each such line).
bool AppendLines(std::string_view text, OptionState* state) {
  unsigned errors = 0;
  const char* at = text.data();
  const char* end = text.data() + text.size();
  while (at < end) {
    PollInterrupt();
    const void* found = std::memchr(at, '\n', static_cast<size_t>(end - at));
    const char* lineFeed = static_cast<const char*>(found);
    const char* lineEnd = lineFeed == nullptr ? end : lineFeed;
    // A line ends with LF or CR LF; any other CR, blank or tab belongs to the token.
    if (lineFeed != nullptr && lineEnd > at && lineEnd[-1] == '\r') {
      --lineEnd;
    }
    std::string line(at, static_cast<size_t>(lineEnd - at));
    size_t position = 0;
    if (FindText(line, "-subcommand", 3, &position)) {
      Message(kL2003SubcommandInFile);
      ++errors;
    }
    // Passed on even when refused, so that the line is examined like any other token.
    AppendToken(line, state);
    at = lineFeed == nullptr ? end : lineFeed + 1;
  }
  return errors == 0;
}

}  // namespace

void AppendToken(const std::string& text, OptionState* state) {
  state->tokens.push_back(text);
}

bool ReadSubcommandFile(const std::string& token, OptionState* state) {
  std::string name;
  if (!TextAfterEquals(token, &name)) {
    Message(kL2010RequiresParameter, "subcommand");
    return false;
  }
  bool appended = false;
  try {
    ByteBuffer bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(name, kMostBytes, &bytes, &tooLarge)) {
      if (tooLarge) {
        ReportInternalError(kSubcommandReading);
      }
      Message(kL3300CannotOpenFile, name.c_str());
      throw OptionAbort{};
    }
    if (CountLines(bytes) > kMostLines) {
      ReportInternalError(kSubcommandReading);
    }
    std::string converted;
    appended = AppendLines(FileText(bytes, &converted), state);
  } catch (const std::bad_alloc&) {
    ReportInternalError(kSubcommandReading);
  } catch (const std::length_error&) {
    ReportInternalError(kSubcommandReading);
  }
  if (!appended) {
    return false;
  }
  ++state->subcommandCount;
  return true;
}

}  // namespace sumwright
