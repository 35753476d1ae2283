// Ends the process from any depth, removing a half-written output file first.
#include "base/process_exit.h"

#include <cstdio>
#include <cstdlib>

namespace sumwright {

namespace {
ExitCleanup registeredCleanup = nullptr;
}  // namespace

void SetExitCleanup(ExitCleanup cleanup) { registeredCleanup = cleanup; }

void EndProcess(int status) {
  ExitCleanup cleanup = registeredCleanup;
  registeredCleanup = nullptr;
  if (cleanup != nullptr) {
    cleanup();
  }
  std::fflush(stderr);
  std::exit(status);
}

}  // namespace sumwright
