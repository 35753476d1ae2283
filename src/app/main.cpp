// Process entry: installs the Ctrl+C handler and runs the one Application.
#include "app/application.h"
#include "base/interrupt.h"

int main(int argc, char** argv) {
  sumwright::InstallInterruptHandler();
  sumwright::Application application;
  return application.Run(argc, argv) ? 0 : 1;
}
