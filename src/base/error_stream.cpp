// SPDX-License-Identifier: MIT
// How message text reaches the standard error stream: on POSIX as its bytes; on Windows as the
// characters of a console, or as the ANSI code page's bytes in a file or a pipe.
#include "base/error_stream.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

#if defined(_WIN32)
#include <windows.h>

#include "base/wide_text.h"
#endif

namespace sumwright {

ErrorStreamForm ErrorStreamFormFor(unsigned long fileType, bool consoleMode) {
  constexpr unsigned long kCharacterDevice = 2;  // FILE_TYPE_CHAR
  return fileType == kCharacterDevice && consoleMode ? ErrorStreamForm::Console
                                                     : ErrorStreamForm::Bytes;
}

#if defined(_WIN32)

namespace {

// The text's characters with CR LF line ends, in pieces that every console takes.
void WriteToConsole(HANDLE console, std::string_view text) {
  std::u16string units = TextToUtf16(text);
  std::wstring wide;
  wide.reserve(units.size() + 16);
  for (char16_t unit : units) {
    if (unit == u'\n') {
      wide.push_back(L'\r');
    }
    wide.push_back(static_cast<wchar_t>(unit));
  }
  constexpr size_t kPiece = 8192;
  for (size_t done = 0; done < wide.size();) {
    DWORD count = static_cast<DWORD>(wide.size() - done < kPiece ? wide.size() - done : kPiece);
    DWORD written = 0;
    if (WriteConsoleW(console, wide.data() + done, count, &written, nullptr) == 0 || written == 0) {
      return;
    }
    done += written;
  }
}

}  // namespace

bool ErrorStreamIsConsole() {
  static const bool console = [] {
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ErrorStreamFormFor(GetFileType(handle), GetConsoleMode(handle, &mode) != 0) ==
               ErrorStreamForm::Console;
  }();
  return console;
}

void WriteErrorText(std::string_view text) {
  try {
    if (ErrorStreamIsConsole()) {
      // What the C stream holds goes first, so that lines keep their order.
      std::fflush(stderr);
      WriteToConsole(GetStdHandle(STD_ERROR_HANDLE), text);
      return;
    }
    std::string bytes = AnsiFromText(text, '?');
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  } catch (const std::bad_alloc&) {
    std::fwrite(text.data(), 1, text.size(), stderr);
  } catch (const std::length_error&) {
    std::fwrite(text.data(), 1, text.size(), stderr);
  }
}

#else

bool ErrorStreamIsConsole() {
  return false;
}

void WriteErrorText(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

#endif

}  // namespace sumwright
