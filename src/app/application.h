// The run: the option state and the long-lived components, and the fixed order of the job.
#pragma once

#include "crc/crc_engine.h"
#include "input/hex_file.h"
#include "options/option_state.h"

namespace sumwright {

struct Application {
  OptionState options;
  HexFile hexFile;
  CrcEngine crcEngine;

  // Banner, options, range check, input scan, CRC, output, in that order; prints
  // "Sumwright Completed" and returns true when the output file was written, prints
  // "Sumwright Abort" and returns false when any stage failed.
  bool Run(int argc, char** argv);
};

}  // namespace sumwright
