// The Ctrl+C flag, its handler and the poll that turns it into message L3410.
#pragma once

#include <atomic>

namespace sumwright {

// 0 idle, 1 Ctrl+C seen and not yet reported, 2 reported. Written by the signal handler (0 to 1
// only) and by PollInterrupt (1 to 2 only).
extern std::atomic<int> InterruptFlag;

// With 1: the flag becomes 1 only when it is 0. Any other value sets it to 0.
void SetInterrupt(int value);

// Installs the Ctrl+C handler, which only calls SetInterrupt(1): SIGINT through sigaction on
// POSIX (the handler stays installed), the console control handler on Windows.
void InstallInterruptHandler();

// When the flag is 1: sets it to 2, prints L3410 without a line end, flushes the standard error
// stream and ends the process with status 1 (after removing a half-written output file).
// Otherwise returns at once. Every loop whose length depends on input calls it.
void PollInterrupt();

}  // namespace sumwright
