// Placement of a record's data relative to the two-byte code field.
#pragma once

#include <cstdint>

#include "input/record_lines.h"

namespace sumwright {

// The code address of the -crc option, published before the input is scanned.
extern uint32_t CrcCodeAddress;

// Set when a record ends at the code address (SplitFirst); never cleared during a run.
extern bool CodeSplitSeen;

// Resets CrcCodeAddress and CodeSplitSeen, for tests.
void ClearCodePlacement();

// Placement of a record whose data span the inclusive range start..end (at least one byte),
// with c = CrcCodeAddress and c1 = c + 1 (mod 2^32); the first test that holds wins:
// c1 < start: After; start <= c and c1 <= end: Within; end < c: Before;
// end == c: SplitFirst (sets CodeSplitSeen); start == c1: SplitSecond once CodeSplitSeen is set;
// otherwise Invalid.
CodePlacement PlaceCodeField(uint32_t start, uint32_t end);

// Placement of a record that carries no data bytes but starts at `start`: Before at or below
// the code address, After above it.
CodePlacement PlaceEmptyRecord(uint32_t start);

}  // namespace sumwright
