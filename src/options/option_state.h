// The option state of a run: what the command line and subcommand files asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
  bool hasRangeText = false;
  std::string rangeText;
  unsigned crcCount = 0;
  unsigned outputCount = 0;
  unsigned subcommandCount = 0;
  unsigned endianCount = 0;
  // Every option token, subcommand files' lines spliced in where the file was named.
  std::vector<std::string> tokens;
  // Built from rangeText after the whole command line was accepted; sorted by CheckRanges.
  std::vector<AddressRange> ranges;
};

// Thrown once a message has said that the run cannot go on (no input named, or an input or
// subcommand file that will not open); the driver's option stage is the one place that catches
// it. The only exception the program throws on purpose.
struct OptionAbort {};

}  // namespace sumwright
