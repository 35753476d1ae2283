// The scanned input file, and the object that later writes the output file from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/crc_request.h"
#include "base/whole_file.h"
#include "input/record_lines.h"

namespace sumwright {

struct HexFile {
  FileFormat format = NoFormat;
  // The whole input file, read once; record texts point into it.
  ByteBuffer inputText;
  // The records of the detected format, in file order; the other list stays empty.
  std::vector<IntelHexLine> intelHexLines;
  std::vector<SRecordLine> sRecordLines;
  // The line end of the input's first line ("\n" or "\r\n"); every written line ends with it.
  const char* lineEnd = "\n";

  // Reads the named input file once, detects its form from the first character and turns
  // every line into a record placed relative to the code field (CrcCodeAddress must be
  // published). False after L3300, L3304, L3315 or L2008, or silently for a refused line.
  bool ScanInput(const std::string& name);

  // Writes the output file: the records in order with the CRC in byteOrder at the code field
  // (patched, split or in a record of its own), through a temporary file renamed over `name`
  // only when complete. Prints L0500 after the rename. False after L3300, or silently when no
  // record gives the code field a place; no output file is left behind on failure.
  bool WriteOutput(const std::string& name, uint32_t crcValue, ByteOrder byteOrder);
};

}  // namespace sumwright
