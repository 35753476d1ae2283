// Runs the built sumwright program in a directory and captures what it printed.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace sumwright {

struct CliRun {
  int status = -1;       // the exit status; 128 + N when signal N ended the program
  std::string messages;  // everything written to the standard error stream
  std::string output;    // everything written to the standard output stream
};

// What a test changes about the shell that runs the program. Every field is shell text.
struct CliSetup {
  std::string before;     // run first in the same shell, for example "ulimit -f 16"
  std::string wrapper;    // put in front of the program: "setpriv ...", "unshare ..."
  std::string redirects;  // after the capture's own, so they win: ">>out.hex", "1>&7"
  // A file of the directory whose bytes reach the program's standard input through a pipe;
  // empty: standard input is empty.
  std::string pipedInput;
  // Closes every descriptor above 2 that the test process holds (or inherited from CTest) before
  // the shell starts, so that the program gets only the standard streams and `redirects`.
  bool closeInherited = false;
};

// Runs the program with `arguments` (no shell interpretation) in `dir` as working directory.
// The program is $SUMWRIGHT_EXE or the one built with the tests; $SUMWRIGHT_LAUNCHER, when set,
// is put in front of it (for example "wine").
CliRun RunSumwright(const TempDir& dir, const std::vector<std::string>& arguments,
                    const CliSetup& setup = CliSetup{});

// A run started in the background; the shell that starts it is replaced by the program (or by
// the wrapper or launcher), so that a signal sent to `pid` reaches it.
struct CliProcess {
  pid_t pid = -1;
  std::string capture;
};
CliProcess StartSumwright(const TempDir& dir, const std::vector<std::string>& arguments,
                          const CliSetup& setup = CliSetup{});
// Waits for the run to end and collects what it printed. With `timeoutSeconds`, a program that
// has not ended by then is killed, and the status is -1.
CliRun FinishSumwright(CliProcess* process, int timeoutSeconds = 0);

// The state letter of a process ("S" while it waits in a system call), "" once it is gone; its
// name; the first of its children, or -1.
std::string ProcessState(pid_t pid);
std::string ProcessName(pid_t pid);
pid_t FirstChild(pid_t pid);

// Waits up to `seconds` for `done`; false when it never came.
template <typename Condition>
bool WaitFor(Condition done, int seconds = 10) {
  for (int i = 0; i < seconds * 100; ++i) {
    if (done()) {
      return true;
    }
    usleep(10000);
  }
  return false;
}

// True when the program under test is the Windows one ($SUMWRIGHT_EXE ends in ".exe").
bool RunsWindowsProgram();

// Quotes one word for the POSIX shell: the word as it stands, whatever bytes it holds.
std::string ShellWord(const std::string& word);

// The banner line every run prints first.
std::string Banner();

}  // namespace sumwright
