// Runs the built sumwright program in a directory and captures what it printed.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace sumwright {

struct CliRun {
  int status = -1;
  std::string messages;  // everything written to the standard error stream
  std::string output;    // everything written to the standard output stream (always empty)
};

// Runs the program with `arguments` (no shell interpretation) in `dir` as working directory.
// The program is $SUMWRIGHT_EXE or the one built with the tests; $SUMWRIGHT_LAUNCHER, when set,
// is put in front of it (for example "wine"). Its standard input is empty, or, when
// `pipedInput` names a file of `dir`, a pipe that carries that file's bytes.
CliRun RunSumwright(const TempDir& dir, const std::vector<std::string>& arguments,
                    const std::string& pipedInput = "");

// True when the program run is a Windows program (its name ends in ".exe"), run under Wine by
// the launcher: it has no POSIX files such as /dev/stdin or FIFOs.
bool RunsWindowsProgram();

// The banner line every run prints first.
std::string Banner();

}  // namespace sumwright
