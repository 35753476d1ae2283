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
    bool seenBefore;
    CodePlacement placement;
    bool seenAfter;
  };
  const Case cases[] = {
      // Wholly after: the record starts beyond c + 1.
      {0x1000, 0x1002, 0x100F, false, CodePlacement::After, false},
      {0x1000, 0x1002, 0x1002, true, CodePlacement::After, true},
      // Both code bytes inside, at the edges and in the middle.
      {0x1000, 0x1000, 0x1001, false, CodePlacement::Within, false},
      {0x1000, 0x0FF0, 0x100F, false, CodePlacement::Within, false},
      {0x1000, 0x1000, 0x100F, true, CodePlacement::Within, true},
      {0x0, 0x0, 0xF, false, CodePlacement::Within, false},
      // Wholly before.
      {0x1000, 0x0FF0, 0x0FFF, false, CodePlacement::Before, false},
      {0x1000, 0x0FFF, 0x0FFF, true, CodePlacement::Before, true},
      // Last byte at c opens a split and remembers it.
      {0x1000, 0x0FF0, 0x1000, false, CodePlacement::SplitFirst, true},
      {0x1000, 0x1000, 0x1000, false, CodePlacement::SplitFirst, true},
      {0x1000, 0x1000, 0x1000, true, CodePlacement::SplitFirst, true},
      // First byte at c + 1: only after a record that ended at c.
      {0x1000, 0x1001, 0x100F, true, CodePlacement::SplitSecond, true},
      {0x1000, 0x1001, 0x1001, true, CodePlacement::SplitSecond, true},
      {0x1000, 0x1001, 0x100F, false, CodePlacement::Invalid, false},
      // The top code address c = FFFFFFFE with c + 1 = FFFFFFFF.
      {0xFFFFFFFE, 0xFFFFFFF0, 0xFFFFFFFF, false, CodePlacement::Within, false},
      {0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFF, false, CodePlacement::Invalid, false},
      {0xFFFFFFFE, 0xFFFFFFF0, 0xFFFFFFFE, false, CodePlacement::SplitFirst, true},
      // A span that wraps past the top: placed by the ordered tests when it holds no code
      // byte, refused when it holds one (it could not be patched in place).
      {0x10, 0xFFFFFFF0, 0xF, false, CodePlacement::After, false},
      {0xFFFFFFE0, 0xFFFFFFF0, 0xF, false, CodePlacement::After, false},
      {0x5, 0xFFFFFFF0, 0xF, false, CodePlacement::Invalid, false},
      {0xF, 0xFFFFFFF0, 0xF, false, CodePlacement::Invalid, false},
      {0xE, 0xFFFFFFF0, 0xF, false, CodePlacement::Invalid, false},
      {0xFFFFFFF0, 0xFFFFFFF0, 0xF, false, CodePlacement::Invalid, false},
      {0xFFFFFFEF, 0xFFFFFFF0, 0xF, true, CodePlacement::Invalid, true},
      {0xFFFFFFFE, 0xFFFFFFFF, 0x0, false, CodePlacement::Invalid, false},
  };
  for (const Case& c : cases) {
    CodeField field{c.code, c.seenBefore};
    EXPECT_EQ(c.placement, PlaceCodeField(c.start, c.end, &field))
        << std::hex << c.code << " " << c.start << "-" << c.end;
    EXPECT_EQ(c.code, field.crcCodeAddress);
    EXPECT_EQ(c.seenAfter, field.codeSplitSeen) << std::hex << c.code << " " << c.start;
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
  const CodeField field{0x1000, false};
  for (const Case& c : cases) {
    EXPECT_EQ(c.placement, PlaceEmptyRecord(c.start, field)) << std::hex << c.start;
  }
}

}  // namespace
}  // namespace sumwright
