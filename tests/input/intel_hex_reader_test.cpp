// Tests of the Intel HEX field accessors and line reader.
#include "input/intel_hex_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/expected_messages.h"
#include "support/record_reading.h"

namespace sumwright {
namespace {

TEST(IntelHexFields, NumberFieldsAtFixedColumns) {
  struct Case {
    const char* text;
    bool typeOk;
    uint32_t type;
    bool countOk;
    uint32_t count;
    bool offsetOk;
    uint32_t offset;
    bool extensionOk;
    uint32_t extension;
  };
  const Case cases[] = {
      {":10010000000102030405060708090A0B0C0D0E0F77", true, 0x00, true, 0x10, true, 0x0100, true,
       0x0001},
      {":020000021000EC", true, 0x02, true, 0x02, true, 0x0000, true, 0x1000},
      {":02000004abcd82", true, 0x04, true, 0x02, true, 0x0000, true, 0xABCD},
      {":00000001FF", true, 0x01, true, 0x00, true, 0x0000, false, 0},
      {":020000FFFFFFFF", true, 0xFF, true, 0x02, true, 0x0000, true, 0xFFFF},
      {"X0AbEeF05", true, 0x05, true, 0x0A, true, 0xBEEF, false, 0},
      // Too short for a field: nothing is read past the end of the text.
      {":", false, 0, false, 0, false, 0, false, 0},
      {":1", false, 0, false, 0, false, 0, false, 0},
      {":10", false, 0, true, 0x10, false, 0, false, 0},
      {":10010", false, 0, true, 0x10, false, 0, false, 0},
      {":100100", false, 0, true, 0x10, true, 0x0100, false, 0},
      {":1001000", false, 0, true, 0x10, true, 0x0100, false, 0},
      {":10010000", true, 0x00, true, 0x10, true, 0x0100, false, 0},
      {":020000021000", true, 0x02, true, 0x02, true, 0x0000, true, 0x1000},
      {":02000002100", true, 0x02, true, 0x02, true, 0x0000, false, 0},
      // Not hexadecimal.
      {":G0010000", true, 0x00, false, 0, true, 0x0100, false, 0},
      {":10 10000", true, 0x00, true, 0x10, false, 0, false, 0},
      {":1001000x", false, 0, true, 0x10, true, 0x0100, false, 0},
      {":020000041-00EC", true, 0x04, true, 0x02, true, 0x0000, false, 0},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    IntelHexLine line = LineOf<IntelHexLine>(text);
    uint32_t value = 0;
    EXPECT_EQ(c.typeOk, RecordType(line, &value)) << c.text;
    if (c.typeOk) {
      EXPECT_EQ(c.type, value) << c.text;
    }
    EXPECT_EQ(c.countOk, ByteCount(line, &value)) << c.text;
    if (c.countOk) {
      EXPECT_EQ(c.count, value) << c.text;
    }
    EXPECT_EQ(c.offsetOk, LoadOffset(line, &value)) << c.text;
    if (c.offsetOk) {
      EXPECT_EQ(c.offset, value) << c.text;
    }
    EXPECT_EQ(c.extensionOk, ExtensionValue(line, &value)) << c.text;
    if (c.extensionOk) {
      EXPECT_EQ(c.extension, value) << c.text;
    }
  }
}

TEST(IntelHexFields, DataTextRunsFromColumnTenToTheChecksum) {
  ExpectDataTexts<IntelHexLine>({
      {":0400000001020304F2", true, "01020304"},
      {":04000000deadbeefF2", true, "deadbeef"},
      {":0400000001G20304F2", true, "01G20304"},
      {":0300000001020", true, "010"},
      {":0000000000", true, ""},
      // One character after column 9: no whole checksum, no data digits.
      {":000000000", true, ""},
      {":00000000", false, ""},
      {":00000001FF", false, ""},
      {":020000021000EC", false, ""},
      {":0000", false, ""},
  });
}

TEST(IntelHexReader, AbsoluteAddressesUnderExtendedAddressing) {
  const std::vector<ReadCase> cases = {
      {"plain offset",
       0xFFFF0000,
       {":10010000000102030405060708090A0B0C0D0E0F77"},
       "00 00000100 Before\n"},
      {"segment 1000",
       0xFFFF0000,
       {":020000021000EC", ":04001000DEADBEEFB4"},
       "02 00010000 Before\n00 00010010 Before\n"},
      {"linear ABCD",
       0xFFFF0000,
       {":02000004ABCD82", ":02123400112285"},
       "04 ABCD0000 Before\n00 ABCD1234 Before\n"},
      {"segment FFFF passes 1 MB",
       0xFFFF0000,
       {":02000002FFFFFE", ":01FFFF00AA57"},
       "02 000FFFF0 Before\n00 0010FFEF Before\n"},
      {"lower-case digits",
       0xFFFF0000,
       {":02000004abcd82", ":02123400aabbcc"},
       "04 ABCD0000 Before\n00 ABCD1234 Before\n"},
      {"extension record with its own offset",
       0xFFFF0000,
       {":020010040001F9"},
       "04 00010010 Before\n"},
      {"linear record at the code address is before it",
       0x10000,
       {":020000040001F9"},
       "04 00010000 Before\n"},
      {"linear record above the code address is after it",
       0xFFFF,
       {":020000040001F9"},
       "04 00010000 After\n"},
      {"state survives the end-of-file record",
       0xFFFF0000,
       {":02000004ABCD82", ":00000001FF", ":02123400112285"},
       "04 ABCD0000 Before\n01 00000000 After\n00 ABCD1234 Before\n"},
      {"segment then linear replaces the state",
       0xFFFF0000,
       {":020000021000EC", ":020000040002F8", ":02001000112285"},
       "02 00010000 Before\n04 00020000 Before\n00 00020010 Before\n"},
      {"records without data are after the field",
       0x0,
       {":00000001FF", ":0400000300000000F9", ":0400000500000000F7"},
       "01 00000000 After\n03 00000000 After\n05 00000000 After\n"},
      {"wrong checksum, start code and data digits are not checked",
       0xFFFF0000,
       {":0400000001020304FF", "X0400100001G2Q304F2", ":02002000"},
       "00 00000000 Before\n00 00000010 Before\n00 00000020 Before\n"},
      {"byte count 00 at the code address is before it",
       0x1000,
       {":00100000F0"},
       "00 00001000 Before\n"},
      {"byte count 00 right after the code address is after it",
       0x1000,
       {":00100100EF"},
       "00 00001001 After\n"},
  };
  ExpectReadRows<IntelHexLine>(cases);
  for (const ReadCase& c : cases) {
    // Read without placing: the same types and addresses, no placement.
    const std::string records = c.rows;
    std::string unplaced;
    for (size_t row = 0; row < records.size(); row = records.find('\n', row) + 1) {
      unplaced += records.substr(row, 12) + "Invalid\n";
    }
    EXPECT_EQ(unplaced, ReadRows<IntelHexLine>(c.code, c.lines, false)) << c.name;
  }
}

TEST(IntelHexReader, CodeFieldPlacementOfDataRecords) {
  ExpectReadRows<IntelHexLine>({
      {"within", 0x105, {":10010000000102030405060708090A0B0C0D0E0F77"}, "00 00000100 Within\n"},
      {"split over two records with one between",
       0x10F,
       {":10010000000102030405060708090A0B0C0D0E0F77", ":0400000001020304F2", ":0201100011228A"},
       "00 00000100 SplitFirst\n00 00000000 Before\n00 00000110 SplitSecond\n"},
      {"count 10 with 4 data bytes is still before a field at 1F+1",
       0x20,
       {":1000100001020304E2"},
       "00 00000010 Before\n"},
      {"byte count 00 at c + 1 does not close a split",
       0x10F,
       {":10010000000102030405060708090A0B0C0D0E0F77", ":00011000EF"},
       "00 00000100 SplitFirst\n00 00000110 After\n"},
      // Count 10, but the data digits (before the two checksum digits) stop right after the
      // code bytes: enough.
      {"digits just reach the second code byte",
       0x101,
       {":10010000AABBCCDD"},
       "00 00000100 Within\n"},
      {"digits reach one byte past the field",
       0x102,
       {":10010000AABBCCDDEE"},
       "00 00000100 Within\n"},
      {"digits just reach the field, a short record after",
       0x101,
       {":10010000AABBCCDD", ":1001100011"},
       "00 00000100 Within\n00 00000110 After\n"},
      {"digits of a split second just reach its code byte",
       0x10F,
       {":10010000000102030405060708090A0B0C0D0E0F77", ":10011000AABB"},
       "00 00000100 SplitFirst\n00 00000110 SplitSecond\n"},
  });
}

TEST(IntelHexReader, RefusedLinesAndTheirMessages) {
  struct Case {
    const char* name;
    uint32_t code;
    std::vector<std::string> lines;
    std::string messages;
  };
  const Case cases[] = {
      {"type FF",
       0x0,
       {":020000FF0000FF"},
       "** L2008 (E) Invalid address record type \"Valdane Extended\"\n"},
      {"type 06", 0x0, {":0000000600"}, ""},
      {"type 07", 0x0, {":0000000700"}, ""},
      {"type 0A", 0x0, {":0000000A00"}, ""},
      {"type 80", 0x0, {":0000008000"}, ""},
      {"type FE", 0x0, {":000000FE00"}, ""},
      {"type not hex", 0x0, {":000000G100"}, ""},
      {"empty text", 0x0, {""}, ""},
      {"start code only", 0x0, {":"}, ""},
      {"too short for the type", 0x0, {":0000000"}, ""},
      {"byte count not hex", 0x0, {":X0000000FF"}, ""},
      {"load offset not hex", 0x0, {":00000-0000"}, ""},
      {"extension record too short", 0x0, {":0200000210"}, ""},
      {"extension value not hex", 0x0, {":02000004XYZW00"}, ""},
      {"begins at c + 1 with no record ending at c", 0x10F, {":0201100011228A"}, kL3315},
      {"split second before split first",
       0x10F,
       {":0201100011228A", ":10010000000102030405060708090A0B0C0D0E0F77"},
       kL3315},
      {"digits end before both code bytes", 0x10E, {":1001000000010203A4"}, kL3315},
      {"digits end before the second code byte", 0x101, {":10010000AABBA4"}, kL3315},
      {"digits end before the code byte of a split first", 0x10F, {":10010000AABB"}, kL3315},
      {"no digits at all for a split first", 0x10F, {":10010000"}, kL3315},
      {"half a digit pair at the second code byte", 0x100, {":0201000011296"}, kL3315},
      {"wrapping past the top over the code field",
       0x3,
       {":02000004FFFFFC", ":10FFF800000102030405060708090A0B0C0D0E0F81"},
       kL3315},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    std::string records = ReadRows<IntelHexLine>(c.code, c.lines);
    EXPECT_EQ(c.messages, testing::internal::GetCapturedStderr()) << c.name;
    EXPECT_TRUE(records.size() >= 8 && records.compare(records.size() - 8, 8, "refused\n") == 0)
        << c.name << ": " << records;
    // Reading without placing prints nothing.
    testing::internal::CaptureStderr();
    ReadRows<IntelHexLine>(c.code, c.lines, false);
    EXPECT_EQ("", testing::internal::GetCapturedStderr()) << c.name;
  }
}

}  // namespace
}  // namespace sumwright
