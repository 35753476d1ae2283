// Ends the process from any depth, removing a half-written output file first.
#include "base/process_exit.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "base/interrupt.h"

namespace sumwright {

namespace {
// Read and cleared by signal handlers: an atomic that needs no lock.
std::atomic<ExitCleanup> registeredCleanup{nullptr};
static_assert(std::atomic<ExitCleanup>::is_always_lock_free, "a signal handler reads it");
}  // namespace

void SetExitCleanup(ExitCleanup cleanup) {
  registeredCleanup.store(cleanup);
}

void RunExitCleanup() {
  ExitCleanup cleanup = registeredCleanup.exchange(nullptr);
  if (cleanup != nullptr) {
    cleanup();
  }
}

void EndProcess(int status) {
  // Never released: the process ends with this status, whatever comes now.
  SignalHold hold;
  RunExitCleanup();
  std::fflush(stderr);
  std::exit(status);
}

}  // namespace sumwright
