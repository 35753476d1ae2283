// The records of a scanned input file: one per line, in file order, with their placement.
#pragma once

#include <cstdint>

namespace sumwright {

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

// One Intel HEX line. `text` points into the scan's chunk (the line without its line end) and is
// valid as long as the batch holding the record; `address` is the absolute address of types 00,
// 02 and 04, 0 for the others.
struct IntelHexLine {
  const char* text;
  uint32_t address;
  uint16_t length;
  uint8_t type;
  CodePlacement placement;
};

// One S-record line. `text` points into the scan's chunk (the line without its line end), as for
// IntelHexLine; `address` is the load address of S1, S2 and S3 records, 0 for the others.
struct SRecordLine {
  const char* text;
  uint32_t address;
  uint16_t length;
  uint8_t type;
  CodePlacement placement;
};

// The kind of Intel HEX extended address in effect: the type of the record that set it.
enum class AddressKind : int {
  Segment = 2,  // extended segment address: the base is value * 16
  Linear = 4,   // extended linear address: the base is value * 65536
  None = 6,     // no extended address record so far: the base is 0
};

// The Intel HEX extended address in effect.
struct ExtendedAddressState {
  uint32_t value = 0;
  AddressKind kind = AddressKind::None;
};

}  // namespace sumwright
