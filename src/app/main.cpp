// SPDX-License-Identifier: MIT
// Process entry: fills in closed standard streams, installs the handlers of Ctrl+C and the other
// signals and runs the one Application. On Windows the arguments come as UTF-16 and the run gets
// them as UTF-8, so that a name in any script reaches the file functions as it was written.
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/application.h"
#include "base/interrupt.h"
#include "base/messages.h"
#include "base/standard_streams.h"

#if defined(_WIN32)
#include <cwchar>

#include "base/wide_text.h"
#endif

namespace {

// Runs `run` and turns its result into the exit status.
template <typename Run>
int RunGuarded(Run run) {
  if (!sumwright::OpenClosedStandardStreams()) {
    return 1;
  }
  sumwright::InstallInterruptHandler();
  // No exception may end the process without a message. The stages release what they hold as
  // the exception passes (a half-written output file is removed); the report comes last.
  try {
    return run() ? 0 : 1;
  } catch (const std::bad_alloc&) {
    sumwright::ReportInternalError(sumwright::kTextMemory);
  } catch (const std::length_error&) {
    sumwright::ReportInternalError(sumwright::kTextMemory);
  } catch (...) {
    sumwright::ReportInternalError(sumwright::kUnexpectedFailure);
  }
}

}  // namespace

#if defined(_WIN32)
// The entry point of a program linked with -municode: the C runtime splits the command line into
// UTF-16 arguments as it splits it for main.
extern "C" int wmain(int argc, wchar_t** argv) {
  return RunGuarded([argc, argv] {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
      arguments.push_back(sumwright::TextFromWide(argv[i], std::wcslen(argv[i])));
    }
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
      pointers.push_back(&argument[0]);
    }
    pointers.push_back(nullptr);
    sumwright::Application application;
    return application.Run(static_cast<int>(arguments.size()), pointers.data());
  });
}
#else
int main(int argc, char** argv) {
  return RunGuarded([argc, argv] {
    sumwright::Application application;
    return application.Run(argc, argv);
  });
}
#endif
