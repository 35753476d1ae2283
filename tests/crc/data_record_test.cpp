// Tests of the image bytes a data record holds, as the CRC reads them.
#include "crc/data_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/image_model.h"
#include "support/pipeline_run.h"

namespace sumwright {
namespace {

// One line as the reader of its form reads it, far from the code field.
template <typename Line>
Line ReadFar(const std::string& text) {
  Line line{};
  ExtendedAddressState state;
  CodeField field{kFarCodeAddress, CodeSplit::None};
  EXPECT_TRUE(ReadLine(text, &state, &field, &line)) << text;
  return line;
}

// The records of `lines`, scanned far from the code field.
ScanRun Scan(const std::vector<std::string>& lines) {
  ScanRun run = ScanText(Lines(lines), kFarCodeAddress);
  EXPECT_TRUE(run.accepted) << lines[0];
  return run;
}

// ReadDataRecord of the scanned record `index`; the digits point into its text in `run`.
bool ReadRecord(const ScanRun& run, size_t index, DataRecord* record) {
  if (index >= run.records.size()) {
    ADD_FAILURE() << "no record " << index;
    return false;
  }
  const ScannedRecord& scanned = run.records[index];
  uint16_t length = static_cast<uint16_t>(scanned.text.size());
  if (run.format == IntelHex) {
    return ReadDataRecord(
        IntelHexLine{scanned.text.data(), scanned.address, length, scanned.type, scanned.placement},
        record);
  }
  return ReadDataRecord(
      SRecordLine{scanned.text.data(), scanned.address, length, scanned.type, scanned.placement},
      record);
}

TEST(DataRecord, BytesFollowByteCountOrWholeDigitPairs) {
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
    ScanRun run = Scan(c.lines);
    DataRecord record{0xFEFE, 0xFEFE, "unset"};
    EXPECT_EQ(c.data, ReadRecord(run, c.index, &record)) << c.lines[c.index];
    if (c.data) {
      EXPECT_EQ(c.start, record.start) << c.lines[c.index];
      EXPECT_EQ(c.byteCount, record.byteCount) << c.lines[c.index];
      EXPECT_EQ(c.digits, record.digits) << c.lines[c.index];
    }
  }
}

TEST(DataRecord, FieldsAgreeWithTheRecordAccessors) {
  const std::vector<std::string> intelHex = {
      ":0400000031323334CC", ":020000003132333435", ":04000000313200", ":0400000000", ":040000003",
      ":04000000",           ":0A00000031",         ":FF000000ab",     ":0000000000"};
  for (const std::string& line : intelHex) {
    IntelHexLine read = ReadFar<IntelHexLine>(line);
    uint32_t count = 0;
    std::string_view digits;
    ASSERT_TRUE(ByteCount(read, &count)) << line;
    if (!DataText(read, &digits)) {
      digits = std::string_view();
    }
    DataRecord record{};
    EXPECT_EQ(count != 0, ReadDataRecord(read, &record)) << line;
    if (count != 0) {
      EXPECT_EQ(count, record.byteCount) << line;
      EXPECT_EQ(digits.substr(0, 2 * count), record.digits) << line;
    }
  }
  const std::vector<std::string> sRecords = {
      "S1070000313233343F",   "S10600003132333FF",  "S1030000FC",     "S10300003",
      "S2080000003132333400", "S30900000000313233", "S3050000000012", "S307000000003132"};
  for (const std::string& line : sRecords) {
    SRecordLine read = ReadFar<SRecordLine>(line);
    std::string_view digits;
    ASSERT_TRUE(DataText(read, &digits)) << line;
    DataRecord record{};
    EXPECT_EQ(digits.size() >= 2, ReadDataRecord(read, &record)) << line;
    if (digits.size() >= 2) {
      EXPECT_EQ(digits.size() / 2, record.byteCount) << line;
      EXPECT_EQ(digits.substr(0, digits.size() / 2 * 2), record.digits) << line;
    }
  }
}

}  // namespace
}  // namespace sumwright
