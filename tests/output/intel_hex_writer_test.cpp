// Tests of the Intel HEX writer through the whole output step: every output file compared whole.
#include "output/intel_hex_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/image_model.h"
#include "support/pipeline_run.h"

namespace sumwright {
namespace {

// Sixteen bytes 00 to 0F at address 0 (offset 0 of the page in effect), and the end record.
constexpr char kData0[] = ":10000000000102030405060708090A0B0C0D0E0F78";
constexpr char kData10[] = ":10001000101112131415161718191A1B1C1D1E1F68";
constexpr char kEnd[] = ":00000001FF";

// Data records of random bytes from `start` on, about 600 KB: more than two chunks of the scan,
// so that corrections after them reach lines written to the file long before. The first record
// comes after an extended linear address record of its page.
std::string ManyRecords(uint32_t start) {
  std::mt19937 random(start);
  ImageText image;
  image.next = start;
  AppendIntelHexData(&image, 600000, "\n", &random);
  return Lines(image.lines);
}

TEST(IntelHexWriter, CodeFieldInsideBetweenAndAboveRecordsOfAFileWithoutAddressRecords) {
  const std::string input = Lines({kData0, kEnd});
  const std::vector<WriteCase> cases = {
      {input, 0x0004, Lines({":10000000000102031234060708090A0B0C0D0E0F3B", kEnd})},
      {input, 0x0004, Lines({":10000000000102033412060708090A0B0C0D0E0F3B", kEnd}), LittleEndian},
      {input, 0x0100, Lines({kData0, ":020100001234B7", kEnd})},
      {input, 0x0100, Lines({kData0, ":020100003412B7", kEnd}), LittleEndian},
      {input, 0x12345, Lines({kData0, ":020000021000EC", ":02234500123450", kEnd})},
      {input, 0x123456, Lines({kData0, ":020000040012E8", ":0234560012342E", kEnd})},
      {input, 0xFFFF, Lines({kData0, ":01FFFF0012EF", ":020000021000EC", ":0100000034CB", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, SplitCodeFieldPatchesBothRecordsAndAddsNone) {
  const std::string input = Lines({kData0, kData10, kEnd});
  const std::vector<WriteCase> cases = {
      {input, 0x000F,
       Lines({":10000000000102030405060708090A0B0C0D0E1275",
              ":10001000341112131415161718191A1B1C1D1E1F44", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, LinearAddressingAddsAtMostOneLinearRecord) {
  const std::string input = Lines({":020000040001F9", kData0, kEnd});
  const std::vector<WriteCase> cases = {
      {input, 0x28000,
       Lines({":020000040001F9", kData0, ":020000040002F8", ":02800000123438", kEnd})},
      {input, 0x2FFFF,
       Lines({":020000040001F9", kData0, ":020000040002F8", ":02FFFF001234BA", kEnd})},
      {input, 0x1FFFF,
       Lines(
           {":020000040001F9", kData0, ":01FFFF0012EF", ":020000040002F8", ":0100000034CB", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, InputAddressRecordEqualToTheWritersOwnIsWrittenOnce) {
  const std::string input = Lines({":020000040001F9", kData0, ":020000040002F8",
                                   ":10001000000102030405060708090A0B0C0D0E0F68", kEnd});
  const std::vector<WriteCase> cases = {
      {input, 0x1FFFF,
       Lines({":020000040001F9", kData0, ":01FFFF0012EF", ":020000040002F8", ":0100000034CB",
              ":10001000000102030405060708090A0B0C0D0E0F68", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, SegmentAddressingAddsSegmentRecordsForHigherPages) {
  const std::string input = Lines({":020000021000EC", kData0, kEnd});
  const std::vector<WriteCase> cases = {
      {input, 0x18000, Lines({":020000021000EC", kData0, ":02800000123438", kEnd})},
      {input, 0x28000,
       Lines({":020000021000EC", kData0, ":020000022000DC", ":02800000123438", kEnd})},
      {input, 0x1FFFF,
       Lines(
           {":020000021000EC", kData0, ":01FFFF0012EF", ":020000022000DC", ":0100000034CB", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, SegmentBaseOffTheCodePageIsReplacedByThePagesOwn) {
  // Segment values that are not multiples of 0x1000: the CRC record at offset C000 must lie at
  // the code address (checked with python3-intelhex on the expected files).
  ExpectWrites({
      {Lines({":020000021800E4", kData0, kEnd}), 0x1C000,
       Lines({":020000021800E4", kData0, ":020000021000EC", ":02C000001234F8", kEnd})},
      {Lines({":020000020800F4", kData0, kEnd}), 0xC000,
       Lines({":020000020800F4", kData0, ":020000020000FC", ":02C000001234F8", kEnd})},
  });
}

TEST(IntelHexWriter, CrcRecordGoesBeforeTheFirstRecordAfterTheCodeField) {
  const std::vector<WriteCase> cases = {
      // A start address record ahead of the end record lies after the code field.
      {Lines({kData0, ":0400000500000000F7", kEnd}), 0x100,
       Lines({kData0, ":020100001234B7", ":0400000500000000F7", kEnd})},
      {Lines({kData0, ":0400000300000000F9", kEnd}), 0x100,
       Lines({kData0, ":020100001234B7", ":0400000300000000F9", kEnd})},
      // The code field in a gap between two data records.
      {Lines({kData0, ":10002000202122232425262728292A2B2C2D2E2F58", kEnd}), 0x0018,
       Lines({kData0, ":020018001234A0", ":10002000202122232425262728292A2B2C2D2E2F58", kEnd})},
      // Records after the end record are copied like any other.
      {Lines({kData0, kEnd, kData10}), 0x100, Lines({kData0, ":020100001234B7", kEnd, kData10})},
      // Lower-case digits and a wrong checksum of a copied record stay as they were read.
      {Lines({":10000000000102030405060708090a0b0c0d0e0f00", kEnd}), 0x100,
       Lines({":10000000000102030405060708090a0b0c0d0e0f00", ":020100001234B7", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, PatchedRecordKeepsItsOtherDigitsAndGetsANewChecksum) {
  ExpectWrites({{Lines({":10000000000102030405060708090a0b0c0d0e0f00", kEnd}), 4,
                 Lines({":10000000000102031234060708090a0b0c0d0e0f3B", kEnd})}});
}

TEST(IntelHexWriter, AddressRecordRestoresTheInputsAddressForLaterDataRecords) {
  const std::vector<WriteCase> cases = {
      // No address record in the input: base 0 again after the writer's segment record.
      {Lines({kData0, ":0400000500000000F7", kData10, kEnd}), 0x12345,
       Lines({kData0, ":020000021000EC", ":02234500123450", ":020000020000FC",
              ":0400000500000000F7", kData10, kEnd})},
      // ... and after its linear record, for data after the end record.
      {Lines({kData0, kEnd, kData10}), 0x123456,
       Lines({kData0, ":020000040012E8", ":0234560012342E", ":020000040000FA", kEnd, kData10})},
      // The input's own segment address is put back.
      {Lines({":020000021000EC", kData0, ":0400000500000000F7", kData10, kEnd}), 0x28000,
       Lines({":020000021000EC", kData0, ":020000022000DC", ":02800000123438", ":020000021000EC",
              ":0400000500000000F7", kData10, kEnd})},
      // ... where the data record comes more than a chunk of the input later.
      {Lines({kData0, kEnd}) + Lines(std::vector<std::string>(24000, kEnd)) + Lines({kData10}),
       0x123456,
       Lines({kData0, ":020000040012E8", ":0234560012342E", ":020000040000FA", kEnd}) +
           Lines(std::vector<std::string>(24000, kEnd)) + Lines({kData10})},
      // An address record of the input before the next data record: nothing to restore.
      {Lines({kData0, ":0400000500000000F7", ":020000040001F9", kData10, kEnd}), 0x12345,
       Lines({kData0, ":020000021000EC", ":02234500123450", ":0400000500000000F7",
              ":020000040001F9", kData10, kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, EveryRecordHoldingACodeByteIsPatchedAndNoneInserted) {
  const std::vector<WriteCase> cases = {
      // The holder comes after a record that lies above the code field.
      {Lines({kData10, kData0, kEnd}), 4,
       Lines({kData10, ":10000000000102031234060708090A0B0C0D0E0F3B", kEnd})},
      // ... much later: the CRC record inserted before the first of them is taken out again.
      // (The patched records of these cases are checksummed by hand.)
      {Lines({kData10}) + ManyRecords(0x20) + Lines({":020000040000FA", kData0, kEnd}), 4,
       Lines({kData10}) + ManyRecords(0x20) +
           Lines({":020000040000FA", ":10000000000102031234060708090A0B0C0D0E0F3B", kEnd})},
      // ... and the input's address record that the inserted records replaced is put back.
      {Lines({":020000040000FA", kData0, ":020000040001F9"}) + ManyRecords(0x10010) +
           Lines({":020000040000FA", ":10FFF800000102030405060708090A0B0C0D0E0F81", kEnd}),
       0xFFFF,
       Lines({":020000040000FA", kData0, ":020000040001F9"}) + ManyRecords(0x10010) +
           Lines({":020000040000FA", ":10FFF800000102030405061234090A0B0C0D0E0F4A", kEnd})},
      // The holder stands after the end record.
      {Lines({kData10, kEnd, kData0}), 4,
       Lines({kData10, kEnd, ":10000000000102031234060708090A0B0C0D0E0F3B"})},
      // A split over a 64 KB boundary, the next page selected between the two records.
      {Lines({":10FFF000000102030405060708090A0B0C0D0E0F89", ":020000040001F9", kData0, kEnd}),
       0xFFFF,
       Lines({":10FFF000000102030405060708090A0B0C0D0E1286", ":020000040001F9",
              ":10000000340102030405060708090A0B0C0D0E0F44", kEnd})},
      // ... together with the record that restored the input's address after them.
      {Lines({kData0, ":0400000500000000F7", kData10, ":020000021000EC",
              ":10234000000102030405060708090A0B0C0D0E0F15", kEnd}),
       0x12345,
       Lines({kData0, ":0400000500000000F7", kData10, ":020000021000EC",
              ":10234000000102030412340708090A0B0C0D0E0FDA", kEnd})},
      // Two records holding the code field: both get the CRC.
      {Lines({kData0, kData0, kEnd}), 4,
       Lines({":10000000000102031234060708090A0B0C0D0E0F3B",
              ":10000000000102031234060708090A0B0C0D0E0F3B", kEnd})},
      // A record placed after the field between the two halves of a split.
      {Lines({kData0, ":10002000202122232425262728292A2B2C2D2E2F58", kData10, kEnd}), 0x000F,
       Lines({":10000000000102030405060708090A0B0C0D0E1275",
              ":10002000202122232425262728292A2B2C2D2E2F58",
              ":10001000341112131415161718191A1B1C1D1E1F44", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, EveryLineEndsWithTheLineEndOfTheFirstLine) {
  const std::string crlf = Lines({kData0, ":020000021000EC", ":02234500123450", kEnd}, "\r\n");
  const std::vector<WriteCase> cases = {
      {Lines({kData0, kEnd}, "\r\n"), 0x12345, crlf},
      // Later lines with the other line end get the first line's.
      {std::string(kData0) + "\r\n" + kEnd + "\n", 0x12345, crlf},
      {std::string(kData0) + "\n" + kData10 + "\r\n" + kEnd + "\n", 0x100,
       Lines({kData0, kData10, ":020100001234B7", kEnd})},
      // A last line without a line end gets one.
      {std::string(kData0) + "\n" + kEnd, 0x100, Lines({kData0, ":020100001234B7", kEnd})},
      {std::string(kData0) + "\r\n" + kEnd, 4,
       Lines({":10000000000102031234060708090A0B0C0D0E0F3B", kEnd}, "\r\n")},
      // Blank lines hold no record.
      {std::string(kData0) + "\n\n" + kData10 + "\n" + kEnd + "\n", 0x100,
       Lines({kData0, kData10, ":020100001234B7", kEnd})},
  };
  ExpectWrites(cases);
}

TEST(IntelHexWriter, CopiesLinesAcrossChunkBoundaries) {
  // A line end on and around the end of the scan's first read (256 KiB and the 523 bytes kept
  // for a line carried over), a CRC record patched into the first record or inserted before the
  // end record. In a file of CR LF line ends, a line that ends in LF alone is written with CR LF.
  // The CRC and address records are checksummed by hand.
  const size_t firstRead = (size_t{256} << 10) + 523;
  std::mt19937 random(21);
  for (const char* lineEnd : {"\n", "\r\n", "LF at the boundary"}) {
    for (size_t lineFeed = firstRead - 2; lineFeed <= firstRead + 1; ++lineFeed) {
      bool mixed = lineEnd[0] == 'L';
      const std::string end = mixed ? "\r\n" : lineEnd;
      ImageText image;
      AppendLine(&image, kData0, end);
      image.next = 0x10;
      AppendIntelHexData(&image, lineFeed + 1 - image.text.size(), end, &random);
      AppendIntelHexData(&image, 300000, end, &random);
      std::string input = image.text + kEnd + end;
      if (mixed) {
        input.erase(lineFeed - 1, 1);
      }
      // Blank lines (the generator puts one where it needs to) are not written.
      std::string copied;
      for (size_t i = 1; i < image.lines.size(); ++i) {
        copied += image.lines[i] + end;
      }
      SCOPED_TRACE("line feed at " + std::to_string(lineFeed));
      ExpectWrites({
          {input, 4,
           std::string(":10000000000102031234060708090A0B0C0D0E0F3B") + end + copied + kEnd + end},
          {input, 0xF00000,
           kData0 + end + copied + ":0200000400F00A" + end + ":020000001234B8" + end + kEnd + end},
      });
    }
  }
}

TEST(IntelHexWriter, ReportsTheCodeAddressAfterWriting) {
  struct MessageCase {
    std::string input;
    uint32_t codeAddress;
    const char* message;
  };
  const MessageCase cases[] = {
      {Lines({kData0, kEnd}), 0x1FFFE, "** L0500 (I) Generated CRC code at \"0x0001FFFE\"\n"},
      {Lines({kData0, kEnd}), 0xABCDEF12, "** L0500 (I) Generated CRC code at \"0xABCDEF12\"\n"},
      // A split field is reported by its first byte.
      {Lines({kData0, kData10, kEnd}), 0xF, "** L0500 (I) Generated CRC code at \"0x0000000F\"\n"},
  };
  for (const MessageCase& c : cases) {
    WriteRun run = WriteThrough(c.input, c.codeAddress, 0x1234, BigEndian);
    EXPECT_TRUE(run.written);
    EXPECT_EQ(c.message, run.messages);
  }
}

TEST(IntelHexWriter, NoRecordAfterTheCodeFieldWritesNoFileAndNoMessage) {
  WriteRun run = WriteThrough(Lines({kData0, kData10}), 0x100, 0x1234, BigEndian);
  EXPECT_FALSE(run.written);
  EXPECT_EQ("", run.messages);
  EXPECT_EQ("", run.listing);
}

}  // namespace
}  // namespace sumwright
