// The records of a scanned input file: one per line, in file order, with their placement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sumwright {

// The longest record text a line may hold, without its line end: a longer line is refused,
// unless it is blank.
constexpr size_t kMaxLineLength = 522;

// A line of nothing but spaces and tabs (its line end aside) is blank: it holds no record and
// is skipped.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
inline bool IsBlankText(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (!IsBlank(text[i])) {
      return false;
    }
  }
  return true;
}

// Intel HEX or S-records: read from the input's first character; the output takes the same.
enum FileFormat : int { NoFormat = 0, SRecord = 1, IntelHex = 2 };

// Where a record's data lie relative to the two-byte code field (code address c and c + 1).
enum class CodePlacement : int8_t {
  Invalid = 0,      // starts at c + 1 with no earlier record ending at c; never kept
  After = 1,        // wholly after the code field, or a record without data placed after it
  SplitSecond = 2,  // first data byte is the byte at c + 1, after a SplitFirst record
  Within = 3,       // holds both code bytes
  SplitFirst = 4,   // last data byte is the byte at c
  Before = 5,       // wholly before the code field, or a record without data placed before it
};

// The bit of a placement in a set of placements.
constexpr unsigned PlacementBit(CodePlacement placement) {
  return 1u << static_cast<unsigned>(placement);
}

// One record line. `text` points into the buffer of the reader that read it (the line without
// its line end) and is valid as long as that reader keeps the line; `address` is the absolute
// address of Intel HEX types 00, 02 and 04, and the load address of S1, S2 and S3 records, 0 for
// the others; `placement` is Invalid until the scan places the record.
struct RecordLine {
  const char* text;
  uint32_t address;
  uint16_t length;
  uint8_t type;
  CodePlacement placement;
};

// The two formats' lines are distinct types of the same layout, so that the field readers and
// the templated CRC loops are chosen by the format at compile time.
struct IntelHexLine : RecordLine {};
struct SRecordLine : RecordLine {};

// The data digits of a record text: from index `first` up to the two checksum digits. A text
// that ends before them holds none.
inline std::string_view DataDigits(const char* text, size_t length, size_t first) {
  size_t digits = length >= first + 2 ? length - first - 2 : 0;
  return std::string_view(text + first, digits);
}

}  // namespace sumwright
