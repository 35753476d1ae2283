// Placement of a record's data relative to the two-byte code field.
#pragma once

#include <cstdint>

#include "input/record_lines.h"

namespace sumwright {

// The code field as the scan sees it: the code address of the -crc option (the field is the
// bytes at crcCodeAddress and crcCodeAddress + 1), and whether a record has ended at the code
// address so far.
// A code field split over two records, in file order: the first ends at the code address c, the
// second starts at c + 1. PlaceCodeField alone moves it.
enum class CodeSplit : uint8_t {
  None,    // no record has ended at c
  Open,    // a record ended at c, and none has started at c + 1 since: a finished input is refused
  Closed,  // a record started at c + 1 after one that ended at c
};

struct CodeField {
  uint32_t crcCodeAddress = 0;
  CodeSplit split = CodeSplit::None;
};

// True for the placements of records that hold a byte of the code field.
bool HoldsCodeByte(CodePlacement placement);

// Placement of a record whose data span the inclusive range start..end (at least one byte),
// with c = crcCodeAddress and c1 = c + 1 (mod 2^32); the first test that holds wins:
// c1 < start: After; start <= c and c1 <= end: Within; end < c: Before;
// end == c: SplitFirst (the split opens); start == c1: SplitSecond once a split has opened (it
// closes);
// otherwise Invalid. A span that wraps past 0xFFFFFFFF and holds a code byte is Invalid.
CodePlacement PlaceCodeField(uint32_t start, uint32_t end, CodeField* field);

// Placement of a record that carries no data bytes but starts at `start`: Before at or below
// the code address, After above it.
CodePlacement PlaceEmptyRecord(uint32_t start, const CodeField& field);

}  // namespace sumwright
