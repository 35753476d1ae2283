// The run: the option state and the long-lived components, and the fixed order of the job.
#include "app/application.h"

#include <cstdio>

#include "base/messages.h"
#include "input/code_placement.h"
#include "options/command_line.h"
#include "options/crc_option.h"

namespace sumwright {

namespace {

// Options, then the range list; a fatal option error ends the stage at once.
bool RunOptionStage(int argc, char** argv, OptionState* options) {
  try {
    return ParseCommandLine(argc, argv, options) && ParseRangeList(options);
  } catch (const OptionAbort&) {
    return false;
  }
}

bool RunStages(int argc, char** argv, Application* application) {
  OptionState& options = application->options;
  if (!RunOptionStage(argc, argv, &options)) {
    return false;
  }
  if (!CheckRanges(&options)) {
    return false;
  }
  CrcCodeAddress = options.codeAddress;
  if (!application->hexFile.ScanInput(options.inputName)) {
    return false;
  }
  uint32_t crc = 0;
  if (!application->crcEngine.Compute(options.crcAlgorithm, application->hexFile, options.ranges,
                                      &crc)) {
    return false;
  }
  return application->hexFile.WriteOutput(options.outputName, crc, options.byteOrder);
}

}  // namespace

bool Application::Run(int argc, char** argv) {
  std::fputs(kBanner, stderr);
  bool completed = RunStages(argc, argv, this);
  // The end line stands after an empty line and ends with a line end.
  std::fputs("\n", stderr);
  std::fputs(completed ? kCompleted : kAbort, stderr);
  std::fputs("\n", stderr);
  return completed;
}

}  // namespace sumwright
