// SPDX-License-Identifier: MIT
// How message text reaches the standard error stream: on POSIX as its bytes; on Windows as the
// characters of a console, or as the ANSI code page's bytes in a file or a pipe.
#pragma once

#include <string_view>

namespace sumwright {

enum class ErrorStreamForm {
  Bytes,    // bytes through the C stream: a file, a pipe, a device such as NUL
  Console,  // UTF-16 through WriteConsoleW, which shows every character whatever the code page
};

// The form for a standard error handle of Windows file type `fileType` (GetFileType: 1 disk,
// 2 character device, 3 pipe, 0 unknown) whose console mode could (`consoleMode`) or could not
// be read: Console only for a character device with a console mode, which a console is and NUL
// or a serial port is not.
ErrorStreamForm ErrorStreamFormFor(unsigned long fileType, bool consoleMode);

// True on Windows when the standard error stream is a console; found once. False on POSIX.
bool ErrorStreamIsConsole();

// Writes `text` to the standard error stream. POSIX: its bytes. Windows, where it is UTF-8: on a
// console its characters, each line ending with CR LF; elsewhere its bytes in the ANSI code
// page, "?" for a character the code page lacks, line ends as the C stream writes them. Without
// memory for the conversion, the bytes as they stand.
void WriteErrorText(std::string_view text);

}  // namespace sumwright
