// Process entry: builds the one Application, installs the Ctrl+C handler and runs it.
#include <memory>

#include "app/application.h"
#include "base/interrupt.h"

int main(int argc, char** argv) {
  // The application holds large buffers; it lives on the heap.
  auto application = std::make_unique<sumwright::Application>();
  sumwright::InstallInterruptHandler();
  return application->Run(argc, argv) ? 0 : 1;
}
