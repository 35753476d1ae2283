// Ends the process from any depth, removing a half-written output file first.
#pragma once

namespace sumwright {

using ExitCleanup = void (*)();

// Registers the one function that EndProcess runs before the process ends (nullptr: none).
// The output writer registers the removal of its temporary file here while it writes.
void SetExitCleanup(ExitCleanup cleanup);

// Runs the registered cleanup, flushes the standard error stream and ends the process.
[[noreturn]] void EndProcess(int status);

}  // namespace sumwright
