// Placement of a record's data relative to the two-byte code field.
#include "input/code_placement.h"

namespace sumwright {

bool HoldsCodeByte(CodePlacement placement) {
  return placement == CodePlacement::Within || placement == CodePlacement::SplitFirst ||
         placement == CodePlacement::SplitSecond;
}

CodePlacement PlaceCodeField(uint32_t start, uint32_t end, CodeField* field) {
  const uint32_t c = field->crcCodeAddress;
  const uint32_t c1 = c + 1;
  // A span that wraps past the top address holds the bytes from start up and from 0 to end.
  // The ordered tests below would call it Before or After even when it holds a code byte, and
  // the code field would then be written a second time beside it: refuse that instead.
  if (end < start && (c >= start || c <= end || c1 >= start || c1 <= end)) {
    return CodePlacement::Invalid;
  }
  // The tests run in this order; the first that holds decides.
  if (c1 < start) {
    return CodePlacement::After;
  }
  if (start <= c && c1 <= end) {
    return CodePlacement::Within;
  }
  if (end < c) {
    return CodePlacement::Before;
  }
  if (end == c) {
    field->split = CodeSplit::Open;
    return CodePlacement::SplitFirst;
  }
  if (start == c1) {
    if (field->split == CodeSplit::None) {
      return CodePlacement::Invalid;
    }
    field->split = CodeSplit::Closed;
    return CodePlacement::SplitSecond;
  }
  return CodePlacement::Invalid;
}

CodePlacement PlaceEmptyRecord(uint32_t start, const CodeField& field) {
  // A record without data bytes holds no code byte, so it can never open or close a split.
  return start <= field.crcCodeAddress ? CodePlacement::Before : CodePlacement::After;
}

}  // namespace sumwright
