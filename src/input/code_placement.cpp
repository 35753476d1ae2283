// Placement of a record's data relative to the two-byte code field.
#include "input/code_placement.h"

namespace sumwright {

uint32_t CrcCodeAddress = 0;
bool CodeSplitSeen = false;

void ClearCodePlacement() {
  CrcCodeAddress = 0;
  CodeSplitSeen = false;
}

CodePlacement PlaceCodeField(uint32_t start, uint32_t end) {
  const uint32_t c = CrcCodeAddress;
  const uint32_t c1 = c + 1;
  // A span that wraps past the top address holds the bytes from start up and from 0 to end.
  // The ordered tests below would call it Before or After even when it holds a code byte, and
  // the code field would then be written a second time beside it: refuse that instead.
  if (end < start && (c >= start || c <= end || c1 >= start || c1 <= end)) {
    return Invalid;
  }
  // The tests run in this order; the first that holds decides.
  if (c1 < start) {
    return After;
  }
  if (start <= c && c1 <= end) {
    return Within;
  }
  if (end < c) {
    return Before;
  }
  if (end == c) {
    CodeSplitSeen = true;
    return SplitFirst;
  }
  if (start == c1) {
    return CodeSplitSeen ? SplitSecond : Invalid;
  }
  return Invalid;
}

CodePlacement PlaceEmptyRecord(uint32_t start) {
  // A record without data bytes holds no code byte, so it can never open or close a split.
  return start <= CrcCodeAddress ? Before : After;
}

}  // namespace sumwright
