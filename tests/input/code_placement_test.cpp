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
      {0x1000, 0x1002, 0x100F, false, After, false},
      {0x1000, 0x1002, 0x1002, true, After, true},
      // Both code bytes inside, at the edges and in the middle.
      {0x1000, 0x1000, 0x1001, false, Within, false},
      {0x1000, 0x0FF0, 0x100F, false, Within, false},
      {0x1000, 0x1000, 0x100F, true, Within, true},
      {0x0, 0x0, 0xF, false, Within, false},
      // Wholly before.
      {0x1000, 0x0FF0, 0x0FFF, false, Before, false},
      {0x1000, 0x0FFF, 0x0FFF, true, Before, true},
      // Last byte at c opens a split and remembers it.
      {0x1000, 0x0FF0, 0x1000, false, SplitFirst, true},
      {0x1000, 0x1000, 0x1000, false, SplitFirst, true},
      {0x1000, 0x1000, 0x1000, true, SplitFirst, true},
      // First byte at c + 1: only after a record that ended at c.
      {0x1000, 0x1001, 0x100F, true, SplitSecond, true},
      {0x1000, 0x1001, 0x1001, true, SplitSecond, true},
      {0x1000, 0x1001, 0x100F, false, Invalid, false},
      // The top code address c = FFFFFFFE with c + 1 = FFFFFFFF.
      {0xFFFFFFFE, 0xFFFFFFF0, 0xFFFFFFFF, false, Within, false},
      {0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFF, false, Invalid, false},
      {0xFFFFFFFE, 0xFFFFFFF0, 0xFFFFFFFE, false, SplitFirst, true},
      // A span that wraps past the top: placed by the ordered tests when it holds no code
      // byte, refused when it holds one (it could not be patched in place).
      {0x10, 0xFFFFFFF0, 0xF, false, After, false},
      {0xFFFFFFE0, 0xFFFFFFF0, 0xF, false, After, false},
      {0x5, 0xFFFFFFF0, 0xF, false, Invalid, false},
      {0xF, 0xFFFFFFF0, 0xF, false, Invalid, false},
      {0xE, 0xFFFFFFF0, 0xF, false, Invalid, false},
      {0xFFFFFFF0, 0xFFFFFFF0, 0xF, false, Invalid, false},
      {0xFFFFFFEF, 0xFFFFFFF0, 0xF, true, Invalid, true},
      {0xFFFFFFFE, 0xFFFFFFFF, 0x0, false, Invalid, false},
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
  const Case cases[] = {{0x0, Before},   {0x0FFF, Before}, {0x1000, Before},
                        {0x1001, After}, {0x1002, After},  {0xFFFFFFFF, After}};
  const CodeField field{0x1000, false};
  for (const Case& c : cases) {
    EXPECT_EQ(c.placement, PlaceEmptyRecord(c.start, field)) << std::hex << c.start;
  }
}

}  // namespace
}  // namespace sumwright
