// Process entry: fills in closed standard streams, installs the handlers of Ctrl+C and the other
// signals and runs the one Application.
#include <new>
#include <stdexcept>

#include "app/application.h"
#include "base/interrupt.h"
#include "base/messages.h"
#include "base/standard_streams.h"

int main(int argc, char** argv) {
  if (!sumwright::OpenClosedStandardStreams()) {
    return 1;
  }
  sumwright::InstallInterruptHandler();
  // No exception may end the process without a message. The stages release what they hold as
  // the exception passes (a half-written output file is removed); the report comes last.
  try {
    sumwright::Application application;
    return application.Run(argc, argv) ? 0 : 1;
  } catch (const std::bad_alloc&) {
    sumwright::ReportInternalError(sumwright::kTextMemory);
  } catch (const std::length_error&) {
    sumwright::ReportInternalError(sumwright::kTextMemory);
  } catch (...) {
    sumwright::ReportInternalError(sumwright::kUnexpectedFailure);
  }
}
