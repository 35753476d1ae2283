// Builds a scanned HexFile from record lines, for the tests of the CRC engine.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/code_placement.h"
#include "input/hex_file.h"
#include "input/intel_hex_reader.h"
#include "input/s_record_reader.h"

namespace sumwright {

// The code address of these tests, far from every record they use.
constexpr uint32_t kTestCodeAddress = 0x7FFFFFF0;

// Fills `file` as the input scan would from `lines`: the texts into inputText, one line after
// the other, and every line read by the reader of the form that the first line's first
// character names. Fails the test when a reader refuses a line.
inline void BuildHexFile(const std::vector<std::string>& lines, HexFile* file) {
  ClearCodePlacement();
  CrcCodeAddress = kTestCodeAddress;
  file->format = !lines.empty() && lines[0][0] == 'S' ? SRecord : IntelHex;
  file->intelHexLines.clear();
  file->sRecordLines.clear();
  file->inputText.clear();
  for (const std::string& line : lines) {
    file->inputText.insert(file->inputText.end(), line.begin(), line.end());
    file->inputText.push_back('\n');
  }
  ExtendedAddressState state;
  const char* text = file->inputText.data();
  for (const std::string& line : lines) {
    bool read = file->format == SRecord
                    ? ReadSRecordLine(text, line.size(), &file->sRecordLines)
                    : ReadIntelHexLine(text, line.size(), &state, &file->intelHexLines);
    EXPECT_TRUE(read) << "refused: " << line;
    text += line.size() + 1;
  }
}

}  // namespace sumwright
