// SPDX-License-Identifier: MIT
// The Ctrl+C flag, its handler and the poll that turns it into message L3410; the handlers of the
// other signals that end the process.
#include "base/interrupt.h"

#include <cstdio>
#include <initializer_list>

#include "base/messages.h"
#include "base/process_exit.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#endif

namespace sumwright {

std::atomic<InterruptState> InterruptFlag{InterruptState::Idle};
static_assert(std::atomic<InterruptState>::is_always_lock_free,
              "the signal handler needs a lock-free flag");

void RaiseInterrupt() {
  InterruptState idle = InterruptState::Idle;
  InterruptFlag.compare_exchange_strong(idle, InterruptState::Raised);
}

void ClearInterrupt() {
  InterruptFlag.store(InterruptState::Idle);
}

namespace {

#if defined(_WIN32)
// The main thread, whose blocking reads a control event cancels; null when it cannot be had.
HANDLE mainThread = nullptr;

void CancelMainThreadRead() {
  if (mainThread != nullptr) {
    CancelSynchronousIo(mainThread);
  }
}

BOOL WINAPI OnConsoleControl(DWORD controlType) {
  switch (controlType) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      RaiseInterrupt();
      CancelMainThreadRead();
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The process ends when this returns: wait for the main thread's poll to remove the
      // temporary file and end it first. A read that started after the first cancel is
      // cancelled again.
      RaiseInterrupt();
      for (;;) {
        CancelMainThreadRead();
        Sleep(50);
      }
    default:
      return FALSE;
  }
}
#else
void OnInterruptSignal(int) {
  RaiseInterrupt();
}

void HandleSignal(int signalNumber, bool keepInheritedIgnore) {
  struct sigaction previous {};
  if (keepInheritedIgnore && sigaction(signalNumber, nullptr, &previous) == 0 &&
      previous.sa_handler == SIG_IGN) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = OnInterruptSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking open, read or write returns EINTR, and its loop polls. With
  // SA_RESTART a FIFO that never opens or a pipe that never delivers would hold the process
  // for ever.
  action.sa_flags = 0;
  sigaction(signalNumber, &action, nullptr);
}

// Removes what the run made, then lets the signal end the process as it would have: raised again
// with its default action, it arrives as soon as this handler returns (it is held back until
// then). Async-signal-safe.
void OnEndingSignal(int signalNumber) {
  RunExitCleanup();
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

void HandleEndingSignal(int signalNumber) {
  struct sigaction previous {};
  if (sigaction(signalNumber, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = OnEndingSignal;
  // No other signal cuts the cleanup short.
  sigfillset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}

void IgnoreSignal(int signalNumber) {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}
#endif

}  // namespace

void InstallInterruptHandler() {
#if defined(_WIN32)
  HANDLE process = GetCurrentProcess();
  if (DuplicateHandle(process, GetCurrentThread(), process, &mainThread, 0, FALSE,
                      DUPLICATE_SAME_ACCESS) == 0) {
    mainThread = nullptr;
  }
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  // A signal ignored when the process started stays ignored: a shell starts background jobs with
  // SIGINT ignored, nohup ignores SIGHUP, and they rely on it.
  HandleSignal(SIGINT, true);
  HandleSignal(SIGTERM, true);
  HandleSignal(SIGHUP, true);
  IgnoreSignal(SIGPIPE);
  IgnoreSignal(SIGXFSZ);
  for (int signalNumber : {SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF}) {
    HandleEndingSignal(signalNumber);
  }
#if defined(__linux__)
  // Elsewhere SIGIO is discarded by default, and SIGPWR and the real-time signals may not exist.
  for (int signalNumber : {SIGIO, SIGPWR}) {
    HandleEndingSignal(signalNumber);
  }
#if defined(SIGSTKFLT)
  HandleEndingSignal(SIGSTKFLT);
#endif
  for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber) {
    HandleEndingSignal(signalNumber);
  }
#endif
#endif
}

SignalHold::SignalHold() {
#if !defined(_WIN32)
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous);
#endif
}

SignalHold::~SignalHold() {
#if !defined(_WIN32)
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
#endif
}

namespace {
thread_local bool pollsEndProcess = true;
}  // namespace

void LeavePollsToMainThread() {
  pollsEndProcess = false;
}

void PollInterrupt() {
  if (InterruptFlag.load(std::memory_order_relaxed) != InterruptState::Raised ||
      !pollsEndProcess) {
    return;
  }
  InterruptFlag.store(InterruptState::Reported);
  std::fputs(kL3410Interrupt, stderr);
  std::fflush(stderr);
  EndProcess(1);
}

}  // namespace sumwright
