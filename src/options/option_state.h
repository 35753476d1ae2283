// The option state of a run: what the command line and subcommand files asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_source.h"
#include "base/crc_request.h"

namespace sumwright {

// Everything option processing fills in. Read-only once the ranges have been checked.
struct OptionState {
  ByteOrder byteOrder = BigEndian;
  CrcAlgorithm crcAlgorithm = Ccitt;
  uint32_t codeAddress = 0;
  bool hasOutputName = false;
  std::string outputName;
  bool hasInputName = false;
  std::string inputName;
  // The input file, opened once by the final checks and read by the input scan.
  ByteSource input;
  bool hasRangeText = false;
  std::string rangeText;
  unsigned crcCount = 0;
  unsigned outputCount = 0;
  unsigned subcommandCount = 0;
  unsigned endianCount = 0;
  // The option tokens in the order in which they are examined.
  std::vector<std::string> tokens;
  // Built from rangeText after the whole command line was accepted; sorted by CheckRanges.
  std::vector<AddressRange> ranges;
};

// Thrown by a fatal option error (no input file, an input or subcommand file that cannot be
// opened) after its message was printed; caught once, by the run's option stage.
struct OptionAbort {};

}  // namespace sumwright
