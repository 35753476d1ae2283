// SPDX-License-Identifier: MIT
// The Ctrl+C flag, its handler and the poll that turns it into message L3410; the handlers of the
// other signals that end the process.
#pragma once

#include <atomic>

#if !defined(_WIN32)
#include <signal.h>
#endif

namespace sumwright {

// Where a request to end the process stands. Moves only Idle -> Raised (RaiseInterrupt, from the
// signal handler) -> Reported (PollInterrupt), but for ClearInterrupt.
enum class InterruptState : int {
  Idle = 0,      // no Ctrl+C, or other request to end, has come
  Raised = 1,    // one has come and the next poll reports it
  Reported = 2,  // the poll has printed L3410 and is ending the process
};
extern std::atomic<InterruptState> InterruptFlag;

// Raises an idle flag and leaves a raised or reported one alone, so that a second Ctrl+C before
// the poll changes nothing. Safe in a signal handler.
void RaiseInterrupt();

// Sets the flag back to Idle, whatever it held (for tests, which raise it in turn).
void ClearInterrupt();

// Installs the handler that only calls RaiseInterrupt, so that a request to end the process is
// reported at the next poll and leaves no half-written output behind:
// - POSIX: SIGINT, SIGTERM and SIGHUP, each unless it was ignored when the process started (as
//   a shell does with SIGINT for background jobs, and nohup with SIGHUP). Without SA_RESTART, so
//   that a blocked open, read or write returns EINTR and polls. SIGPIPE and SIGXFSZ are ignored: a
//   closed pipe or a file-size limit then fails the write that met it, and the caller reports that.
//   Every other signal whose default action ends the process and that another process can send
//   (SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSTKFLT
//   and the real-time signals on Linux), unless it was ignored when the process started: its
//   handler runs the exit cleanup (process_exit.h) and ends the process by that same signal, its
//   default action restored, so that a caller still sees how the process died. Faults (SIGSEGV,
//   SIGBUS, SIGILL, SIGFPE, SIGSYS, SIGTRAP, SIGABRT) keep their default action and run nothing.
// - Windows: the console control handler for Ctrl+C and Ctrl+Break, and for the close, logoff
//   and shutdown events, after which the system ends the process as soon as the handler returns:
//   for those the handler waits until the main thread has ended the process. Each event also
//   cancels a read the main thread waits in, so that it polls.
void InstallInterruptHandler();

// When the flag is Raised: sets it to Reported, prints L3410 without a line end, flushes the
// standard error stream and ENDS THE PROCESS with status 1 (after removing a half-written output
// file). Otherwise returns at once. Every loop whose length depends on input calls it. On a thread that
// called LeavePollsToMainThread it always returns at once: only the main thread ends the process.
void PollInterrupt();

// Makes PollInterrupt do nothing on the calling thread, so that code shared with the main thread
// (the output's write loops) cannot end the process from a second thread.
void LeavePollsToMainThread();

// While it lives, holds back every signal that can be held on the calling thread (POSIX; nothing
// on Windows), and lets them come when it ends. Wraps a file's creation and the record of its
// name for the exit cleanup, so that a signal finds either both or neither.
struct SignalHold {
  SignalHold();
  ~SignalHold();
  SignalHold(const SignalHold&) = delete;
  SignalHold& operator=(const SignalHold&) = delete;
#if !defined(_WIN32)
  sigset_t previous;
#endif
};

}  // namespace sumwright
