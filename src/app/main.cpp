// Process entry: installs the handlers of Ctrl+C and the other signals and runs the one
// Application.
#include <new>
#include <stdexcept>

#include "app/application.h"
#include "base/interrupt.h"
#include "base/messages.h"

namespace {

// Internal-error place of memory that cannot be had where no stage reports a place of its own.
constexpr int kMemoryModule = 4;
constexpr int kAllocationFailed = 105;
// Internal-error place of any other exception: a fault of the program itself.
constexpr int kDriverModule = 0;
constexpr int kUnexpectedFailure = 0;

}  // namespace

int main(int argc, char** argv) {
  sumwright::InstallInterruptHandler();
  // No exception may end the process without a message. The stages release what they hold as
  // the exception passes (a half-written output file is removed); the report comes last.
  try {
    sumwright::Application application;
    return application.Run(argc, argv) ? 0 : 1;
  } catch (const std::bad_alloc&) {
    sumwright::ReportInternalError(kMemoryModule, kAllocationFailed);
  } catch (const std::length_error&) {
    sumwright::ReportInternalError(kMemoryModule, kAllocationFailed);
  } catch (...) {
    sumwright::ReportInternalError(kDriverModule, kUnexpectedFailure);
  }
}
