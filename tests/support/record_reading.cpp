// The program's line readers of both forms called alike, and records written as rows.
#include "support/record_reading.h"

#include <cstdio>

namespace sumwright {

bool ReadLine(const std::string& text, ExtendedAddressState* state, CodeField* field,
              IntelHexLine* line) {
  return ReadIntelHexLine(text.data(), text.size(), state, line) &&
         (field == nullptr || PlaceIntelHexLine(line, field));
}

bool ReadLine(const std::string& text, ExtendedAddressState*, CodeField* field, SRecordLine* line) {
  return ReadSRecordLine(text.data(), text.size(), line) &&
         (field == nullptr || PlaceSRecordLine(line, field));
}

const char* PlacementName(CodePlacement placement) {
  switch (placement) {
    case CodePlacement::Invalid:
      return "Invalid";
    case CodePlacement::After:
      return "After";
    case CodePlacement::SplitSecond:
      return "SplitSecond";
    case CodePlacement::Within:
      return "Within";
    case CodePlacement::SplitFirst:
      return "SplitFirst";
    case CodePlacement::Before:
      return "Before";
  }
  return "?";
}

std::string RecordRow(FileFormat format, uint32_t type, uint32_t address, CodePlacement placement) {
  char row[48];
  std::snprintf(row, sizeof row, format == SRecord ? "S%X %08X %s" : "%02X %08X %s",
                static_cast<unsigned>(type), static_cast<unsigned>(address),
                PlacementName(placement));
  return row;
}

}  // namespace sumwright
