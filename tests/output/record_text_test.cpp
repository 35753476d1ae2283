// Tests of the CRC digits, record checksums and the patching of code bytes.
#include "output/record_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/pipeline_run.h"

namespace sumwright {
namespace {

TEST(RecordText, CrcDigitsKeepLeadingZerosAndFollowByteOrder) {
  struct Case {
    uint32_t crc;
    ByteOrder order;
    const char* digits;
  };
  const Case cases[] = {
      {0x00AB, BigEndian, "00AB"},     {0x00AB, LittleEndian, "AB00"},
      {0x1234, BigEndian, "1234"},     {0x1234, LittleEndian, "3412"},
      {0xD64E, BigEndian, "D64E"},     {0xD64E, LittleEndian, "4ED6"},
      {0xABCD1234, BigEndian, "1234"},  // only the low 16 bits count
      {0x0000, LittleEndian, "0000"},
  };
  for (const Case& c : cases) {
    char digits[4];
    CrcDigits(c.crc, c.order, digits);
    EXPECT_EQ(c.digits, std::string(digits, 4)) << std::hex << c.crc << " order " << c.order;
  }
}

TEST(RecordText, ChecksumDigitsFollowTheFormatAndStopRules) {
  struct Case {
    FileFormat format;
    const char* text;
    const char* digits;
  };
  const Case cases[] = {
      // Two's complement of the byte sum for Intel HEX, one's complement for S-records.
      {IntelHex, "02010000123400", "B7"},
      {SRecord, "050000123400", "B4"},
      {IntelHex, "0B000000313233343536373839D64E00", "F4"},
      {SRecord, "0E0000202020202020202020202000", "91"},
      // Lower-case digits count like upper-case ones.
      {IntelHex, "0201000012ab00", "40"},
      {IntelHex, "0201000012AB00", "40"},
      // A first pair that is not hexadecimal adds nothing: the complement of 0.
      {IntelHex, "G0010000", "00"},
      {SRecord, "G0010000", "FF"},
      {IntelHex, "", "00"},
      {SRecord, "", "FF"},
      // A bad second digit stops the sum after the first digit's share (0x10).
      {IntelHex, "1G2030", "F0"},
      {SRecord, "1G2030", "EF"},
      // Summing stops at the first bad pair; later pairs are not added.
      {IntelHex, "12XX34", "EE"},
      // A lone last character is not a pair.
      {SRecord, "123", "ED"},
      // The sum is kept in 32 bits; only its low byte counts.
      {IntelHex, "FFFFFFFFFF00", "05"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    char digits[2];
    ChecksumDigits(c.format, text.data(), text.size(), digits);
    EXPECT_EQ(c.digits, std::string(digits, 2)) << c.text << " format " << c.format;
  }
}

TEST(RecordText, PatchCrcDigitsWritesOnlyTheCodeBytesTheRecordHolds) {
  // Data of a record at 0x100: bytes 00 11 22 33 44 at 0x100 to 0x104; CRC digits 1234.
  struct Case {
    CodePlacement placement;
    uint32_t codeAddress;
    bool result;
    const char* after;
  };
  const Case cases[] = {
      {CodePlacement::Within, 0x100, true, "1234223344"},
      {CodePlacement::Within, 0x101, true, "0012343344"},
      {CodePlacement::Within, 0x103, true, "0011221234"},
      {CodePlacement::SplitFirst, 0x104, true, "0011223312"},
      {CodePlacement::SplitSecond, 0x0FF, true, "3411223344"},
      // Code bytes outside the data digits are refused, the data left as they were.
      {CodePlacement::Within, 0x104, false, "0011223344"},
      {CodePlacement::Within, 0x0FF, false, "0011223344"},
      {CodePlacement::SplitFirst, 0x0FF, false, "0011223344"},
      {CodePlacement::SplitSecond, 0x104, false, "0011223344"},
      {CodePlacement::Within, 0xFFFFFFF0, false, "0011223344"},
      // Records that hold no code byte are never patched.
      {CodePlacement::Before, 0x101, false, "0011223344"},
      {CodePlacement::After, 0x101, false, "0011223344"},
      {CodePlacement::Invalid, 0x101, false, "0011223344"},
  };
  for (const Case& c : cases) {
    std::string data = "0011223344";
    EXPECT_EQ(c.result,
              PatchCrcDigits(c.placement, 0x100, c.codeAddress, "1234", data.data(), data.size()))
        << "placement " << PlacementName(c.placement) << " code address " << std::hex
        << c.codeAddress;
    EXPECT_EQ(c.after, data) << "placement " << PlacementName(c.placement);
  }
}

TEST(RecordText, PatchCrcDigitsWritesUpperCaseIntoLowerCaseData) {
  std::string data = "aabbccdd";
  EXPECT_TRUE(PatchCrcDigits(CodePlacement::Within, 0x10, 0x11, "D64E", data.data(), data.size()));
  EXPECT_EQ("aaD64Edd", data);
}

}  // namespace
}  // namespace sumwright
