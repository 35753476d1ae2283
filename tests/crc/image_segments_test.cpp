// Tests of the image as ascending, disjoint segments of data record bytes.
#include "crc/image_segments.h"

#include <gtest/gtest.h>

#include <vector>

namespace sumwright {

// Found by argument lookup, so in the type's namespace rather than the unnamed one.
bool operator==(const SegmentEntry& a, const SegmentEntry& b) {
  return a.start == b.start && a.end == b.end && a.record == b.record &&
         a.byteOffset == b.byteOffset;
}

void PrintTo(const SegmentEntry& e, std::ostream* out) {
  *out << std::hex << "{" << e.start << "-" << e.end << " r" << e.record << " +" << e.byteOffset
       << "}";
}

namespace {

TEST(ImageSegments, FirstRecordInFileOrderOwnsEveryAddress) {
  struct Case {
    const char* what;
    std::vector<SegmentEntry> pieces;
    std::vector<SegmentEntry> segments;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"ascending with a gap", {{0, 3, 0, 0}, {8, 9, 1, 0}}, {{0, 3, 0, 0}, {8, 9, 1, 0}}},
      {"touching", {{0, 3, 0, 0}, {4, 9, 1, 0}}, {{0, 3, 0, 0}, {4, 9, 1, 0}}},
      {"descending", {{8, 9, 0, 0}, {0, 3, 1, 0}}, {{0, 3, 1, 0}, {8, 9, 0, 0}}},
      {"later record overlaps the end",
       {{0, 7, 0, 0}, {4, 11, 1, 0}},
       {{0, 7, 0, 0}, {8, 11, 1, 4}}},
      {"later record overlaps the start",
       {{4, 11, 0, 0}, {0, 7, 1, 0}},
       {{0, 3, 1, 0}, {4, 11, 0, 0}}},
      {"earlier record inside a later one",
       {{4, 7, 0, 0}, {0, 15, 1, 0}},
       {{0, 3, 1, 0}, {4, 7, 0, 0}, {8, 15, 1, 8}}},
      {"later record inside an earlier one", {{0, 15, 0, 0}, {4, 7, 1, 0}}, {{0, 15, 0, 0}}},
      {"same span twice", {{0, 3, 0, 0}, {0, 3, 1, 0}}, {{0, 3, 0, 0}}},
      {"staircase",
       {{10, 19, 0, 0}, {5, 14, 1, 0}, {0, 9, 2, 0}},
       {{0, 4, 2, 0}, {5, 9, 1, 0}, {10, 19, 0, 0}}},
      {"record spanning two earlier ones",
       {{2, 3, 0, 0}, {6, 7, 1, 0}, {0, 9, 2, 0}},
       {{0, 1, 2, 0}, {2, 3, 0, 0}, {4, 5, 2, 4}, {6, 7, 1, 0}, {8, 9, 2, 8}}},
      {"span past the top address in two pieces",
       {{0xFFFFFFF0, 0xFFFFFFFF, 0, 0},
        {0, 3, 0, 16},
        {2, 5, 1, 0},
        {0xFFFFFFFE, 0xFFFFFFFF, 2, 0}},
       {{0, 3, 0, 16}, {4, 5, 1, 2}, {0xFFFFFFF0, 0xFFFFFFFF, 0, 0}}},
      {"top address alone",
       {{0xFFFFFFFF, 0xFFFFFFFF, 1, 0}, {0xFFFFFFFE, 0xFFFFFFFF, 0, 0}},
       {{0xFFFFFFFE, 0xFFFFFFFF, 0, 0}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.segments, BuildSegments(c.pieces)) << c.what;
  }
}

}  // namespace
}  // namespace sumwright
