// Tests of the S-record writer through the whole output step: every output file compared whole.
#include "output/s_record_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/image_model.h"
#include "support/pipeline_run.h"

namespace sumwright {
namespace {

constexpr char kInputHeader[] = "S00600004844521B";
// Sixteen bytes each at 0x00, 0x10 and 0x20, and the termination record.
constexpr char kData0[] = "S1130000000102030405060708090A0B0C0D0E0F74";
constexpr char kData10[] = "S1130010101112131415161718191A1B1C1D1E1F64";
constexpr char kData20[] = "S1130020202122232425262728292A2B2C2D2E2F54";
constexpr char kEnd[] = "S9030000FC";
// The header generated for the output name out.mot.
constexpr char kOutHeader[] = "S00E00006F757420202020206D6F74A9";

// S3 records of 16 random bytes each from `start` on, about 600 KB: more than two chunks of the
// scan, so that corrections after them reach lines written to the file long before.
std::string ManyRecords(uint32_t start) {
  std::mt19937 random(start);
  std::string text;
  for (uint32_t address = start; address < start + 13000 * 16; address += 16) {
    ModelRecord record{address, std::vector<uint8_t>(16), {}};
    for (uint8_t& b : record.bytes) {
      b = static_cast<uint8_t>(random());
    }
    text += SRecord3(record) + "\n";
  }
  return text;
}

TEST(SRecordWriter, CodeFieldIsPatchedSplitOrInserted) {
  const std::vector<WriteCase> cases = {
      // Inside one record: only that record changes (new checksum, same length).
      {Lines({kInputHeader, kData0, kData10, kEnd}), 4,
       Lines({kOutHeader, "S113000000010203D64E060708090A0B0C0D0E0F59", kData10, kEnd})},
      // In the gap between two records.
      {Lines({kInputHeader, kData0, kData20, kEnd}), 0x18,
       Lines({kOutHeader, kData0, "S1050018D64EBE", kData20, kEnd})},
      // Above all data: right before the termination record; the type follows the address.
      {Lines({kInputHeader, kData0, kEnd}), 0x1000,
       Lines({kOutHeader, kData0, "S1051000D64EC6", kEnd})},
      {Lines({kInputHeader, kData0, kEnd}), 0x1000,
       Lines({kOutHeader, kData0, "S10510004ED6C6", kEnd}), LittleEndian},
      {Lines({kInputHeader, kData0, kEnd}), 0x12345,
       Lines({kOutHeader, kData0, "S206012345D64E6C", kEnd})},
      {Lines({kInputHeader, kData0, kEnd}), 0x1234567,
       Lines({kOutHeader, kData0, "S30701234567D64E04", kEnd})},
      // A field straddling the 16-bit or 24-bit boundary: two one-byte records.
      {Lines({kInputHeader, kData0, kEnd}), 0xFFFF,
       Lines({kOutHeader, kData0, "S104FFFFD627", "S2050100004EAB", kEnd})},
      {Lines({kInputHeader, kData0, kEnd}), 0xFFFFFF,
       Lines({kOutHeader, kData0, "S205FFFFFF4EAF", "S30601000000D622", kEnd}), LittleEndian},
      // A file of S3 records gets an S1 record for a code address below 0x10000.
      {Lines({kInputHeader, "S31500001000000102030405060708090A0B0C0D0E0F62", "S70500000000FA"}),
       0x2000,
       Lines({kOutHeader, "S31500001000000102030405060708090A0B0C0D0E0F62", "S1052000D64EB6",
              "S70500000000FA"})},
      // Split: the last byte of one record, the first byte of the next.
      {Lines({kInputHeader, kData0, kData10, kEnd}), 0xF,
       Lines({kOutHeader, "S1130000000102030405060708090A0B0C0D0ED6AD",
              "S11300104E1112131415161718191A1B1C1D1E1F26", kEnd})},
      // A second header record later in the file is copied.
      {Lines({kInputHeader, kData0, kInputHeader, kEnd}), 0x100,
       Lines({kOutHeader, kData0, kInputHeader, "S1050100D64ED5", kEnd})},
  };
  ExpectWrites(cases, 0xD64E, "out.mot");
}

TEST(SRecordWriter, EveryRecordHoldingACodeByteIsPatchedAndNoneInserted) {
  const std::vector<WriteCase> cases = {
      // A record placed after the field between the two halves of a split.
      {Lines({kInputHeader, kData0, kData20, kData10, kEnd}), 0xF,
       Lines({kOutHeader, "S1130000000102030405060708090A0B0C0D0ED6AD", kData20,
              "S11300104E1112131415161718191A1B1C1D1E1F26", kEnd})},
      // The holder comes much later: the CRC record inserted before the record above the field
      // is taken out again. (The S2 records here are checksummed by hand.)
      {Lines({kInputHeader, kData10}) + ManyRecords(0x20) + Lines({kData0, kEnd}), 4,
       Lines({kOutHeader, kData10}) + ManyRecords(0x20) +
           Lines({"S113000000010203D64E060708090A0B0C0D0E0F59", kEnd})},
      // ... also the pair of one-byte records of a field straddling 0xFFFF/0x10000.
      {Lines({kInputHeader, "S214010010000102030405060708090A0B0C0D0E0F62"}) +
           ManyRecords(0x10020) + Lines({"S21400FFF8000102030405060708090A0B0C0D0E0F7C", kEnd}),
       0xFFFF,
       Lines({kOutHeader, "S214010010000102030405060708090A0B0C0D0E0F62"}) + ManyRecords(0x10020) +
           Lines({"S21400FFF800010203040506D64E090A0B0C0D0E0F67", kEnd})},
      // The holder stands after the termination record and after a record above the field.
      {Lines({kInputHeader, kData10, kEnd, kData0}), 4,
       Lines({kOutHeader, kData10, kEnd, "S113000000010203D64E060708090A0B0C0D0E0F59"})},
  };
  ExpectWrites(cases, 0xD64E, "out.mot");
}

TEST(SRecordWriter, FirstRecordThatIsNotAHeaderIsKeptAfterTheGeneratedHeader) {
  const std::vector<WriteCase> cases = {
      {Lines({kData0, kEnd}), 0x100, Lines({kOutHeader, kData0, "S1050100D64ED5", kEnd})},
      {Lines({kData0, kEnd}), 4,
       Lines({kOutHeader, "S113000000010203D64E060708090A0B0C0D0E0F59", kEnd})},
  };
  ExpectWrites(cases, 0xD64E, "out.mot");
}

TEST(SRecordWriter, PatchedRecordKeepsLowerCaseDigitsCountAndAddress) {
  // Count 13 although only 4 data bytes follow: the count is kept as it stands.
  // 13 + 00 + 00 + AA + D6 + 4E + DD = 0x2BE; the one's complement of BE is 41.
  ExpectWrites({{Lines({kInputHeader, "S1130000aabbccdd00", kEnd}), 1,
                 Lines({kOutHeader, "S1130000aaD64Edd41", kEnd})},
                // A record read from a line that starts with "s" is written with "S" when it is
                // patched.
                {Lines({kInputHeader, "s1130000aabbccdd00", kEnd}), 1,
                 Lines({kOutHeader, "S1130000aaD64Edd41", kEnd})}},
               0xD64E, "out.mot");
}

TEST(SRecordWriter, CarriageReturnLineEndsOfTheInputAreKept) {
  ExpectWrites({{Lines({kInputHeader, kData0, kEnd}, "\r\n"), 0x1000,
                 Lines({kOutHeader, kData0, "S1051000D64EC6", kEnd}, "\r\n")}},
               0xD64E, "out.mot");
}

TEST(SRecordWriter, NoTerminationRecordAboveAllDataWritesNoFile) {
  WriteRun run = WriteThrough(Lines({kInputHeader, kData0}), 0x1000, 0xD64E, BigEndian, "out.mot");
  EXPECT_FALSE(run.written);
  EXPECT_EQ("", run.messages);
  EXPECT_EQ("", run.listing);
}

TEST(SRecordWriter, HeaderCarriesNameAndExtensionOfTheOutputName) {
  struct HeaderCase {
    const char* outputName;
    const char* header;
  };
  const HeaderCase cases[] = {
      {"C:\\work\\sample_1.mot", "S00E000073616D706C655F316D6F748F"},
      {"/tmp/build/out.mot", "S00E00006F757420202020206D6F74A9"},
      {"out.s", "S00E00006F7574202020202073202046"},
      // Name cut at 8 characters, extension at 3.
      {"abcdefghij.hexa", "S00E0000616263646566676868657888"},
      {"abcdefgh", "S00E000061626364656667682020206D"},
      {"out", "S00E00006F7574202020202020202099"},
      // A further "." belongs to the extension.
      {"a.b.c", "S00E00006120202020202020622E63BD"},
      {".hex", "S00E00002020202020202020686578AC"},
      // An empty name part: spaces only.
      {"dir/", "S00E0000202020202020202020202091"},
      {"", "S00E0000202020202020202020202091"},
  };
  for (const HeaderCase& c : cases) {
    char header[32];
    BuildSRecordHeader(c.outputName, header);
    EXPECT_EQ(c.header, std::string(header, sizeof header)) << c.outputName;
  }
}

}  // namespace
}  // namespace sumwright
