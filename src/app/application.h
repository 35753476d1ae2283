// The run: the option state and the fixed order of the job.
#pragma once

#include "options/option_state.h"

namespace sumwright {

struct Application {
  OptionState options;

  // Banner, options, range check, then one pass over the input that scans it, feeds the CRC
  // and writes the output, then the CRC and the completed output, in that order; prints
  // "Sumwright Completed" and returns true when the output file was written, prints
  // "Sumwright Abort" and returns false when any stage failed.
  bool Run(int argc, char** argv);
};

}  // namespace sumwright
