// Runs the input scan and the output writer on an input text, for the writer tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "input/code_placement.h"
#include "input/hex_file.h"
#include "support/temp_dir.h"

namespace sumwright {

struct WriteRun {
  bool written = false;
  std::string output;    // the whole output file; "" when there is none
  std::string messages;  // what the writer printed
  std::string listing;   // the directory afterwards: the input "in" and what the writer left
};

// Scans `input` with the code address `codeAddress` and writes it to `outputName` in a fresh
// directory with the CRC value `crc` in `order`.
inline WriteRun WriteThrough(const std::string& input, uint32_t codeAddress, uint32_t crc,
                             ByteOrder order, const std::string& outputName = "out.hex") {
  TempDir dir;
  dir.Write("in", input);
  ClearCodePlacement();
  CrcCodeAddress = codeAddress;
  HexFile hexFile;
  WriteRun run;
  if (!hexFile.ScanInput(dir.Path("in"))) {
    ADD_FAILURE() << "the input was refused:\n" << input;
    return run;
  }
  testing::internal::CaptureStderr();
  run.written = hexFile.WriteOutput(dir.Path(outputName), crc, order);
  run.messages = testing::internal::GetCapturedStderr();
  run.output = dir.Read(outputName);
  run.listing = dir.Listing();
  return run;
}

}  // namespace sumwright
