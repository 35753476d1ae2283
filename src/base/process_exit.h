// Ends the process from any depth, removing a half-written output file first.
#pragma once

namespace sumwright {

using ExitCleanup = void (*)();

// Registers the one function that a process end runs first (nullptr: none). The output writer
// registers the removal of its temporary file here while it writes. The function must be
// async-signal-safe (POSIX): the handler of a signal that ends the process runs it too.
void SetExitCleanup(ExitCleanup cleanup);

// Runs the registered cleanup once and forgets it; a later call runs nothing. Async-signal-safe.
void RunExitCleanup();

// Holds back every signal (POSIX), runs the registered cleanup, flushes the standard error stream
// and ends the process. A signal that comes meanwhile cannot cut the cleanup short.
[[noreturn]] void EndProcess(int status);

}  // namespace sumwright
