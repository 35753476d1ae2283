// SPDX-License-Identifier: MIT
// Tests of where a record's data lie relative to the two-byte code field.
#include "input/code_placement.h"

#include <gtest/gtest.h>

namespace sumwright {
namespace {

TEST(CodePlacement, FirstMatchingTestDecides) {
  struct Case {
    uint32_t code;
    uint32_t start;
    uint32_t end;
    CodeSplit before;
    CodePlacement placement;
    CodeSplit after;
  };
  constexpr CodeSplit kNone = CodeSplit::None;
  constexpr CodeSplit kOpen = CodeSplit::Open;
  constexpr CodeSplit kClosed = CodeSplit::Closed;
  const Case cases[] = {
      // Wholly after: the record starts beyond c + 1.
      {0x1000, 0x1002, 0x100F, kNone, CodePlacement::After, kNone},
      {0x1000, 0x1002, 0x1002, kOpen, CodePlacement::After, kOpen},
      // Both code bytes inside, at the edges and in the middle.
      {0x1000, 0x1000, 0x1001, kNone, CodePlacement::Within, kNone},
      {0x1000, 0x0FF0, 0x100F, kNone, CodePlacement::Within, kNone},
      {0x1000, 0x1000, 0x100F, kOpen, CodePlacement::Within, kOpen},
      {0x0, 0x0, 0xF, kNone, CodePlacement::Within, kNone},
      // Wholly before.
      {0x1000, 0x0FF0, 0x0FFF, kNone, CodePlacement::Before, kNone},
      {0x1000, 0x0FFF, 0x0FFF, kOpen, CodePlacement::Before, kOpen},
      // Last byte at c opens a split, even one closed before.
      {0x1000, 0x0FF0, 0x1000, kNone, CodePlacement::SplitFirst, kOpen},
      {0x1000, 0x1000, 0x1000, kNone, CodePlacement::SplitFirst, kOpen},
      {0x1000, 0x1000, 0x1000, kOpen, CodePlacement::SplitFirst, kOpen},
      {0x1000, 0x1000, 0x1000, kClosed, CodePlacement::SplitFirst, kOpen},
      // First byte at c + 1: only after a record that ended at c; it closes the split.
      {0x1000, 0x1001, 0x100F, kOpen, CodePlacement::SplitSecond, kClosed},
      {0x1000, 0x1001, 0x1001, kOpen, CodePlacement::SplitSecond, kClosed},
      {0x1000, 0x1001, 0x1001, kClosed, CodePlacement::SplitSecond, kClosed},
      {0x1000, 0x1001, 0x100F, kNone, CodePlacement::Invalid, kNone},
      // The top code address c = FFFFFFFE with c + 1 = FFFFFFFF.
      {0xFFFFFFFE, 0xFFFFFFF0, 0xFFFFFFFF, kNone, CodePlacement::Within, kNone},
      {0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFF, kNone, CodePlacement::Invalid, kNone},
      {0xFFFFFFFE, 0xFFFFFFF0, 0xFFFFFFFE, kNone, CodePlacement::SplitFirst, kOpen},
      // A span that wraps past the top: placed by the ordered tests when it holds no code
      // byte, refused when it holds one (it could not be patched in place).
      {0x10, 0xFFFFFFF0, 0xF, kNone, CodePlacement::After, kNone},
      {0xFFFFFFE0, 0xFFFFFFF0, 0xF, kNone, CodePlacement::After, kNone},
      {0x5, 0xFFFFFFF0, 0xF, kNone, CodePlacement::Invalid, kNone},
      {0xF, 0xFFFFFFF0, 0xF, kNone, CodePlacement::Invalid, kNone},
      {0xE, 0xFFFFFFF0, 0xF, kNone, CodePlacement::Invalid, kNone},
      {0xFFFFFFF0, 0xFFFFFFF0, 0xF, kNone, CodePlacement::Invalid, kNone},
      {0xFFFFFFEF, 0xFFFFFFF0, 0xF, kOpen, CodePlacement::Invalid, kOpen},
      {0xFFFFFFFE, 0xFFFFFFFF, 0x0, kNone, CodePlacement::Invalid, kNone},
  };
  for (const Case& c : cases) {
    CodeField field{c.code, c.before};
    EXPECT_EQ(c.placement, PlaceCodeField(c.start, c.end, &field))
        << std::hex << c.code << " " << c.start << "-" << c.end;
    EXPECT_EQ(c.code, field.crcCodeAddress);
    EXPECT_EQ(c.after, field.split) << std::hex << c.code << " " << c.start;
  }
}

TEST(CodePlacement, RecordWithoutDataIsPlacedByItsStartAndNeverSplits) {
  struct Case {
    uint32_t start;
    CodePlacement placement;
  };
  const Case cases[] = {{0x0, CodePlacement::Before},    {0x0FFF, CodePlacement::Before},
                        {0x1000, CodePlacement::Before}, {0x1001, CodePlacement::After},
                        {0x1002, CodePlacement::After},  {0xFFFFFFFF, CodePlacement::After}};
  const CodeField field{0x1000, CodeSplit::None};
  for (const Case& c : cases) {
    EXPECT_EQ(c.placement, PlaceEmptyRecord(c.start, field)) << std::hex << c.start;
  }
}

}  // namespace
}  // namespace sumwright
