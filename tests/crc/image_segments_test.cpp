// Tests of the image as ascending, disjoint segments of data record bytes.
#include "crc/image_segments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "crc/hex_file_builder.h"
#include "input/intel_hex_reader.h"
#include "input/s_record_reader.h"

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

TEST(ImageSegments, DataRecordBytesFollowByteCountOrWholeDigitPairs) {
  struct Case {
    std::vector<std::string> lines;
    size_t index;
    bool data;
    uint32_t start;
    uint32_t byteCount;
    std::string digits;
  };
  // Checksums are never read, so these records carry 00.
  const Case cases[] = {
      {{":0400000031323334"
        "00"},
       0,
       true,
       0,
       4,
       "31323334"},
      // Intel HEX: the byte count decides; surplus digits are cut, missing ones stay missing.
      {{":020000003132333400"}, 0, true, 0, 2, "3132"},
      {{":04000000313200"}, 0, true, 0, 4, "3132"},
      {{":0400000000"}, 0, true, 0, 4, ""},
      {{":0000000000"}, 0, false, 0, 0, ""},
      {{":00000001FF"}, 0, false, 0, 0, ""},
      {{":020000040001F9", ":02001000313200"}, 1, true, 0x10010, 2, "3132"},
      {{":020000040001F9", ":02001000313200"}, 0, false, 0, 0, ""},
      // S-records: whole digit pairs decide.
      {{"S1070010313233343F"}, 0, true, 0x10, 4, "31323334"},
      {{"S106001031323300"}, 0, true, 0x10, 3, "313233"},
      {{"S2080123453132333400"}, 0, true, 0x12345, 4, "31323334"},
      {{"S30900000010AABB00"}, 0, true, 0x10, 2, "AABB"},
      {{"S1040010300"}, 0, false, 0, 0, ""},
      {{"S1030010FC"}, 0, false, 0, 0, ""},
      {{"S00600004844521B"}, 0, false, 0, 0, ""},
      {{"S9030000FC"}, 0, false, 0, 0, ""},
  };
  for (const Case& c : cases) {
    HexFile file;
    BuildHexFile(c.lines, &file);
    DataRecord record{0xFEFE, 0xFEFE, "unset"};
    EXPECT_EQ(c.data, ReadDataRecord(file, c.index, &record)) << c.lines[c.index];
    if (c.data) {
      EXPECT_EQ(c.start, record.start) << c.lines[c.index];
      EXPECT_EQ(c.byteCount, record.byteCount) << c.lines[c.index];
      EXPECT_EQ(c.digits, record.digits) << c.lines[c.index];
    }
  }
}

TEST(ImageSegments, DataRecordFieldsAgreeWithTheRecordAccessors) {
  const std::vector<std::string> intelHex = {
      ":0400000031323334CC", ":020000003132333435", ":04000000313200", ":0400000000", ":040000003",
      ":04000000",           ":0A00000031",         ":FF000000ab",     ":0000000000"};
  for (const std::string& line : intelHex) {
    HexFile file;
    BuildHexFile({line}, &file);
    uint32_t count = 0;
    std::string_view digits;
    ASSERT_TRUE(ByteCount(file.intelHexLines[0], &count)) << line;
    if (!DataText(file.intelHexLines[0], &digits)) {
      digits = std::string_view();
    }
    DataRecord record{};
    EXPECT_EQ(count != 0, ReadDataRecord(file, 0, &record)) << line;
    if (count != 0) {
      EXPECT_EQ(count, record.byteCount) << line;
      EXPECT_EQ(digits.substr(0, 2 * count), record.digits) << line;
    }
  }
  const std::vector<std::string> sRecords = {
      "S1070000313233343F",   "S10600003132333FF",  "S1030000FC",     "S10300003",
      "S2080000003132333400", "S30900000000313233", "S3050000000012", "S307000000003132"};
  for (const std::string& line : sRecords) {
    HexFile file;
    BuildHexFile({line}, &file);
    std::string_view digits;
    ASSERT_TRUE(DataText(file.sRecordLines[0], &digits)) << line;
    DataRecord record{};
    EXPECT_EQ(digits.size() >= 2, ReadDataRecord(file, 0, &record)) << line;
    if (digits.size() >= 2) {
      EXPECT_EQ(digits.size() / 2, record.byteCount) << line;
      EXPECT_EQ(digits.substr(0, digits.size() / 2 * 2), record.digits) << line;
    }
  }
}

// All segments of `file` as "start-end:digits" lines, with the digits of their own bytes: in
// place when the records are in order, else built.
std::string Segments(const HexFile& file) {
  ImageCursor cursor;
  EXPECT_TRUE(OpenImage(file, &cursor));
  if (RestInOrder(&cursor)) {
    RewindImage(&cursor);
  } else {
    SortImage(&cursor);
  }
  std::string listing;
  ImageSegment segment{};
  while (NextSegment(&cursor, &segment)) {
    char line[64];
    std::snprintf(line, sizeof line, "%llX-%llX:", static_cast<unsigned long long>(segment.start),
                  static_cast<unsigned long long>(segment.end));
    size_t digits = std::min<size_t>(segment.digitCount, 2 * (segment.end - segment.start + 1));
    listing += line + std::string(segment.digits, digits) + "\n";
  }
  return listing;
}

TEST(ImageSegments, CursorWalksInPlaceOrThroughBuiltSegments) {
  struct Case {
    std::vector<std::string> lines;
    bool inFileOrder;
    std::string segments;
  };
  const Case cases[] = {
      {{"S00600004844521B", "S1050000AABB00", "S1050004CCDD00", "S9030000FC"},
       true,
       "0-1:AABB\n4-5:CCDD\n"},
      {{":020000040001F9", ":02000000AABB00", ":020000040000FA", ":02000000CCDD00"},
       false,
       "0-1:CCDD\n10000-10001:AABB\n"},
      {{":04000000AABBCCDD00", ":04000200EEFF112200"}, false, "0-3:AABBCCDD\n4-5:1122\n"},
      {{"S309FFFFFFFE11223300", "S30900000000AABB00"},
       false,
       "0-0:33\n1-1:BB\nFFFFFFFE-FFFFFFFF:1122\n"},
      {{":00000001FF"}, true, ""},
  };
  for (const Case& c : cases) {
    HexFile file;
    BuildHexFile(c.lines, &file);
    ImageCursor cursor;
    ASSERT_TRUE(OpenImage(file, &cursor));
    EXPECT_EQ(c.inFileOrder, RestInOrder(&cursor)) << c.segments;
    EXPECT_EQ(c.segments, Segments(file));
  }
}

TEST(ImageSegments, InPlaceWalkStopsAtTheFirstRecordOutOfOrder) {
  HexFile file;
  BuildHexFile({":02000000AABB00", ":02000100CCDD00", ":02000400EEFF00"}, &file);
  ImageCursor cursor;
  ASSERT_TRUE(OpenImage(file, &cursor));
  ImageSegment segment{};
  ASSERT_TRUE(NextSegment(&cursor, &segment));
  EXPECT_EQ("AABB", std::string(segment.digits, segment.digitCount));
  EXPECT_FALSE(NextSegment(&cursor, &segment));
  EXPECT_TRUE(cursor.outOfOrder);
  EXPECT_FALSE(RestInOrder(&cursor));
}

TEST(ImageSegments, RewindStartsAgainAtTheLowestSegment) {
  HexFile file;
  BuildHexFile({":02000200CCDD00", ":02000000AABB00"}, &file);
  ImageCursor cursor;
  ASSERT_TRUE(OpenImage(file, &cursor));
  SortImage(&cursor);
  ImageSegment segment{};
  ASSERT_TRUE(NextSegment(&cursor, &segment));
  ASSERT_TRUE(NextSegment(&cursor, &segment));
  EXPECT_FALSE(NextSegment(&cursor, &segment));
  RewindImage(&cursor);
  ASSERT_TRUE(NextSegment(&cursor, &segment));
  EXPECT_EQ(0u, segment.start);
  EXPECT_EQ("AABB", std::string(segment.digits, segment.digitCount));
}

TEST(ImageSegments, UnknownFormatIsRefused) {
  HexFile file;
  ImageCursor cursor;
  EXPECT_FALSE(OpenImage(file, &cursor));
}

}  // namespace
}  // namespace sumwright
