// The Ctrl+C flag, its handler and the poll that turns it into message L3410.
#include "base/interrupt.h"

#include <cstdio>

#include "base/messages.h"
#include "base/process_exit.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#endif

namespace sumwright {

std::atomic<int> InterruptFlag{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

void SetInterrupt(int value) {
  if (value == 1) {
    int idle = 0;
    InterruptFlag.compare_exchange_strong(idle, 1);
  } else {
    InterruptFlag.store(0);
  }
}

namespace {

#if defined(_WIN32)
BOOL WINAPI OnConsoleControl(DWORD controlType) {
  if (controlType == CTRL_C_EVENT || controlType == CTRL_BREAK_EVENT) {
    SetInterrupt(1);
    return TRUE;
  }
  return FALSE;
}
#else
void OnInterruptSignal(int) { SetInterrupt(1); }
#endif

}  // namespace

void InstallInterruptHandler() {
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnInterruptSignal;
  sigemptyset(&action.sa_mask);
  // A blocking open or read goes on after Ctrl+C; the next poll reports it.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
#endif
}

void PollInterrupt() {
  if (InterruptFlag.load(std::memory_order_relaxed) != 1) {
    return;
  }
  InterruptFlag.store(2);
  std::fputs(kL3410Interrupt, stderr);
  std::fflush(stderr);
  EndProcess(1);
}

}  // namespace sumwright
