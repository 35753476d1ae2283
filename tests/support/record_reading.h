// The program's line readers of both forms called alike, and records written as rows, so that a
// test compares whole rows of what was read.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "input/code_placement.h"
#include "input/intel_hex_reader.h"
#include "input/record_lines.h"
#include "input/s_record_reader.h"

namespace sumwright {

// A record of the form of `Line` (IntelHexLine or SRecordLine) over `text`, unread: address 0,
// type 0, no placement; for the field accessors.
template <typename Line>
Line LineOf(const std::string& text) {
  return Line{text.data(), 0, static_cast<uint16_t>(text.size()), 0, CodePlacement::Invalid};
}

// The reader of the form of *line over `text`, then the placement relative to `field` unless it
// is null; `state` serves Intel HEX only.
bool ReadLine(const std::string& text, ExtendedAddressState* state, CodeField* field,
              IntelHexLine* line);
bool ReadLine(const std::string& text, ExtendedAddressState* state, CodeField* field,
              SRecordLine* line);

// The name of a placement, as expectations write it.
const char* PlacementName(CodePlacement placement);

// "00 00000100 Before" for Intel HEX, "S1 00001000 Before" for S-records: type, address and
// placement of one record.
std::string RecordRow(FileFormat format, uint32_t type, uint32_t address, CodePlacement placement);

// Reads `texts` in order under one extended address state and one code field at `code` (none
// when `place` is false); one row a record, and "refused" for a refused line, where reading
// stops. Fails the test when a record does not hold its whole text.
template <typename Line>
std::string ReadRows(uint32_t code, const std::vector<std::string>& texts, bool place = true) {
  ExtendedAddressState state;
  CodeField field{code, CodeSplit::None};
  std::string rows;
  for (const std::string& text : texts) {
    Line line{};
    if (!ReadLine(text, &state, place ? &field : nullptr, &line)) {
      return rows + "refused\n";
    }
    EXPECT_TRUE(line.text == text.data() && line.length == text.size()) << text;
    rows += RecordRow(std::is_same_v<Line, IntelHexLine> ? IntelHex : SRecord, line.type,
                      line.address, line.placement) +
            "\n";
  }
  return rows;
}

// Lines read in order with the code field at `code`, and the rows ReadRows gives for them.
struct ReadCase {
  const char* name;
  uint32_t code;
  std::vector<std::string> lines;
  const char* rows;
};
template <typename Line>
void ExpectReadRows(const std::vector<ReadCase>& cases) {
  for (const ReadCase& c : cases) {
    EXPECT_EQ(c.rows, ReadRows<Line>(c.code, c.lines)) << c.name;
  }
}

// The data digits of a record text as DataText hands them out.
struct DataTextCase {
  const char* text;
  bool found;
  const char* data;
};
template <typename Line>
void ExpectDataTexts(const std::vector<DataTextCase>& cases) {
  for (const DataTextCase& c : cases) {
    std::string text = c.text;
    std::string_view data = "unchanged";
    EXPECT_EQ(c.found, DataText(LineOf<Line>(text), &data)) << c.text;
    if (c.found) {
      EXPECT_EQ(c.data, data) << c.text;
    }
  }
}

}  // namespace sumwright
