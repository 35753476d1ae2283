// SPDX-License-Identifier: MIT
// Tests of the input scan: form detection, line ends, blank and over-long lines, lines across the
// chunks the input is read in, the split code field, and the messages of a failed scan.
#include "input/input_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "input/record_rereader.h"
#include "support/expected_messages.h"
#include "support/image_model.h"
#include "support/pipeline_run.h"
#include "support/temp_dir.h"

#if !defined(_WIN32)
#include <fcntl.h>
#endif

namespace sumwright {
namespace {

const std::string kInvalidFormat = L3304("in.hex");

// The scan reads 256 KiB at a time; the first read also fills the room kept for a line carried
// over to the next chunk (522 characters and a carriage return), so it ends 523 bytes later.
constexpr size_t kChunk = size_t{256} << 10;
constexpr size_t kFirstRead = kChunk + 523;

// Intel HEX records of 522 and 523 characters (type 01, whose length is not checked).
const std::string kLine522 = ":00000001" + std::string(513, 'F');
const std::string kLine523 = ":00000001" + std::string(514, 'F');

// The record texts of the input read a second time, as records out of address order are, one per
// line. Only what was read once is read again: the input is read through first.
std::string TextsReadAgain(const std::string& contents) {
  ByteSource source;
  SourceFromText(contents, &source);
  std::string readOnce(contents.size() + 1, '\0');
  size_t got = 0;
  while (ReadSource(&source, &readOnce[0], readOnce.size(), &got) && got != 0) {
  }
  RecordRereader reader;
  StartRereading(&source, &reader);
  std::string texts;
  IntelHexLine line{};
  while (NextRecord(&reader, &line)) {
    texts += std::string(line.text, line.length) + "\n";
  }
  EXPECT_FALSE(reader.failed);
  return texts;
}

// The record texts of a scan, one per line.
std::string Texts(const ScanRun& run) {
  std::string texts;
  for (const ScannedRecord& record : run.records) {
    texts += record.text + "\n";
  }
  return texts;
}

TEST(InputScan, InvalidFileFormatGivesL3304WithTheFileName) {
  const std::string longIntel = ":00000001" + std::string(514, 'F');
  const std::string longS = "S0" + std::string(521, '0');
  struct Case {
    const char* name;
    std::string contents;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"lower-case s", "s1031000EC\n"},
      {"blank first", " :00000001FF\n"},
      {"tab first", "\t:00000001FF\n"},
      {"line feed first", "\n:00000001FF\n"},
      {"carriage return first", "\r\n:00000001FF\n"},
      {"other letter", "X00000001FF\n"},
      {"byte order mark", "\xEF\xBB\xBF:00000001FF\n"},
      {"Intel HEX line of 523 characters", longIntel + "\n"},
      {"Intel HEX line of 523 characters at the end", ":00000001FF\n" + longIntel},
      {"Intel HEX line of 523 characters before CR LF", ":00000001FF\r\n" + longIntel + "\r\n"},
      {"S-record line of 523 characters", "S9031000EC\n" + longS + "\n"},
  };
  for (const Case& c : cases) {
    ScanRun run = ScanText(c.contents, 0x100);
    EXPECT_FALSE(run.accepted) << c.name;
    EXPECT_EQ(kInvalidFormat, run.messages) << c.name;
  }
}

#if !defined(_WIN32)
TEST(InputScan, UnreadableInputGivesL3300WithItsName) {
  // A directory opens for reading on POSIX, but every read of it fails.
  TempDir dir;
  ByteSource source;
  source.descriptor = open(dir.path().c_str(), O_RDONLY);
  ASSERT_GE(source.descriptor, 0);
  ScanRun run = ScanSource(&source, "app.hex", 0x100);
  EXPECT_FALSE(run.opened);
  EXPECT_EQ("** L3300 (F) Cannot Open File : \"app.hex\"\n", run.messages);
}
#endif

TEST(InputScan, LineOf522CharactersIsOneRecord) {
  ScanRun run = ScanText(kLine522 + "\r\n" + kLine522, 0x100);
  EXPECT_TRUE(run.accepted);
  EXPECT_EQ("01 00000000 After |" + kLine522 + "|\n01 00000000 After |" + kLine522 + "|\n",
            RecordRows(run));
  const std::string header = "S0" + std::string(520, 'A');
  run = ScanText(header + "\n", 0x100);
  EXPECT_TRUE(run.accepted);
  EXPECT_EQ("S0 00000000 Before |" + header + "|\n", RecordRows(run));
}

TEST(InputScan, LineEndsBlankLinesAndTheLastLine) {
  struct Case {
    const char* name;
    std::string contents;
    const char* lineEnd;
    const char* records;
  };
  const Case cases[] = {
      {"line feeds", ":0100000011EE\n:00000001FF\n", "\n",
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |:00000001FF|\n"},
      {"carriage return and line feed", ":0100000011EE\r\n:00000001FF\r\n", "\r\n",
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |:00000001FF|\n"},
      {"first line decides: LF then CR LF", ":0100000011EE\n:00000001FF\r\n", "\n",
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |:00000001FF|\n"},
      {"first line decides: CR LF then LF", ":0100000011EE\r\n:00000001FF\n", "\r\n",
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |:00000001FF|\n"},
      {"last line without a line end keeps every character", ":0100000011EE\n:00000001FF", "\n",
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |:00000001FF|\n"},
      {"one line without a line end", ":00000001FF", "\n", "01 00000000 After |:00000001FF|\n"},
      {"one line with CR LF", ":00000001FF\r\n", "\r\n", "01 00000000 After |:00000001FF|\n"},
      {"carriage return at the very end", ":0100000011EE\r\n:00000001FF\r", "\r\n",
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |:00000001FF|\n"},
      {"blank lines are skipped", ":0100000011EE\n\n \t \n\r\n\t\r\n:00000001FF\n\n", "\n",
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |:00000001FF|\n"},
      {"a carriage return inside a line stays", ":00000001F\rF\n", "\n",
       "01 00000000 After |:00000001F\rF|\n"},
      {"S-records with CR LF", "S0030000FC\r\nS1051000AAFF\r\n\r\nS9031000EC\r\n", "\r\n",
       "S0 00000000 Before |S0030000FC|\nS1 00001000 After |S1051000AAFF|\n"
       "S9 00000000 After |S9031000EC|\n"},
  };
  for (const Case& c : cases) {
    ScanRun run = ScanText(c.contents, 0x100);
    EXPECT_TRUE(run.accepted) << c.name << run.messages;
    EXPECT_EQ("", run.messages) << c.name;
    EXPECT_EQ(c.lineEnd, run.lineEnd) << c.name;
    EXPECT_EQ(c.records, RecordRows(run)) << c.name;
  }
}

TEST(InputScan, LinesAndLineEndsAcrossChunkBoundaries) {
  // A line end (its line feed, or its carriage return and line feed) placed on and around the
  // ends of the first two reads; the record texts come from the generator of the input.
  std::mt19937 random(11);
  for (const std::string lineEnd : {"\n", "\r\n"}) {
    for (size_t boundary : {kChunk, kFirstRead}) {
      for (size_t lineFeed = boundary - 2; lineFeed <= boundary + 1; ++lineFeed) {
        ImageText image;
        AppendIntelHexData(&image, lineFeed + 1, lineEnd, &random);
        AppendIntelHexData(&image, kChunk + 300, lineEnd, &random);
        AppendLine(&image, ":00000001FF", lineEnd);
        ScanRun run = ScanText(image.text, kFarCodeAddress);
        EXPECT_TRUE(run.accepted) << lineFeed << run.messages;
        EXPECT_EQ(lineEnd, run.lineEnd);
        EXPECT_EQ(Lines(image.lines), Texts(run)) << "line feed at " << lineFeed;
      }
    }
  }
}

TEST(InputScan, FileThatGrewSinceItWasOpenedIsReadWhole) {
  // A small file is read in chunks of its size; what was added after the open comes in more
  // chunks, with lines carried over between them.
  std::mt19937 random(13);
  ImageText image;
  AppendIntelHexData(&image, 100, "\r\n", &random);
  TempDir dir;
  dir.Write("in.hex", image.text);
  ByteSource source;
  ASSERT_TRUE(OpenSourceFile(dir.Path("in.hex"), &source));
  AppendIntelHexData(&image, 20000, "\r\n", &random);
  AppendLine(&image, ":00000001FF", "\r\n");
  dir.Write("in.hex", image.text);
  ScanRun run = ScanSource(&source, "in.hex", kFarCodeAddress);
  EXPECT_TRUE(run.accepted) << run.messages;
  EXPECT_EQ(Lines(image.lines), Texts(run));
}

TEST(InputScan, LongestLinesAtAChunkBoundary) {
  // Lines of 522 characters are records, lines of 523 are refused, wherever the read ends.
  std::mt19937 random(12);
  for (const std::string lineEnd : {"\n", "\r\n"}) {
    for (size_t lineFeed = kFirstRead - 2; lineFeed <= kFirstRead + 1; ++lineFeed) {
      for (const std::string* line : {&kLine522, &kLine523}) {
        ImageText image;
        AppendIntelHexData(&image, lineFeed + 1 - line->size() - lineEnd.size(), lineEnd, &random);
        AppendLine(&image, *line, lineEnd);
        AppendLine(&image, ":00000001FF", lineEnd);
        ScanRun run = ScanText(image.text, kFarCodeAddress);
        if (line == &kLine522) {
          EXPECT_TRUE(run.accepted) << lineFeed << run.messages;
          EXPECT_EQ(Lines(image.lines), Texts(run)) << "line feed at " << lineFeed;
        } else {
          EXPECT_FALSE(run.accepted) << lineFeed;
          EXPECT_EQ(kInvalidFormat, run.messages) << "line feed at " << lineFeed;
        }
      }
    }
  }
}

// Both readings of the input skip them alike.
TEST(InputScan, OverlongBlankLinesAreSkipped) {
  // 600 KiB of blanks span three reads of the scan, and ten of the second reading.
  const std::string blanks = std::string(300 << 10, ' ') + std::string(300 << 10, '\t');
  const std::string first = ":0100000011EE";
  const std::string last = ":00000001FF";
  struct Case {
    const char* name;
    std::string contents;
    bool accepted;
  };
  const Case cases[] = {
      {"between records", first + "\n" + blanks + "\n" + last + "\n", true},
      {"between records, CR LF", first + "\r\n" + blanks + "\r\n" + last + "\r\n", true},
      {"at the end without a line end", first + "\n" + last + "\n" + blanks, true},
      {"at the end before a last carriage return", first + "\n" + last + "\n" + blanks + "\r",
       true},
      {"a character after the blanks", first + "\n" + blanks + "X\n" + last + "\n", false},
      {"a carriage return inside the blanks", first + "\n" + blanks + "\r \n" + last + "\n", false},
  };
  for (const Case& c : cases) {
    ScanRun run = ScanText(c.contents, 0x100);
    EXPECT_EQ(c.accepted, run.accepted) << c.name;
    if (c.accepted) {
      EXPECT_EQ("", run.messages) << c.name;
      EXPECT_EQ(first + "\n" + last + "\n", Texts(run)) << c.name;
      EXPECT_EQ(first + "\n" + last + "\n", TextsReadAgain(c.contents)) << c.name;
    } else {
      EXPECT_EQ(kInvalidFormat, run.messages) << c.name;
    }
  }
}

TEST(InputScan, FirstCharacterDecidesTheFormOfEveryLine) {
  struct Case {
    const char* contents;
    FileFormat format;
    const char* records;
  };
  const Case cases[] = {
      {":0100000011EE\nS00000001FF\nX00000001FF\n", IntelHex,
       "00 00000000 Before |:0100000011EE|\n01 00000000 After |S00000001FF|\n"
       "01 00000000 After |X00000001FF|\n"},
      {"S1051000AAFF\n:1031000EC\ns1051002BBFF\n", SRecord,
       "S1 00001000 After |S1051000AAFF|\nS1 00001000 After |:1031000EC|\n"
       "S1 00001002 After |s1051002BBFF|\n"},
  };
  for (const Case& c : cases) {
    ScanRun run = ScanText(c.contents, 0x100);
    EXPECT_TRUE(run.accepted) << c.contents;
    EXPECT_EQ(c.format, run.format) << c.contents;
    EXPECT_EQ(c.records, RecordRows(run));
  }
}

TEST(InputScan, NoRecordTypeEndsTheScan) {
  struct Case {
    const char* name;
    std::string contents;
    bool accepted;
    const char* messages;
    const char* records;
  };
  const Case cases[] = {
      {"data after the end-of-file record", ":00000001FF\n:0100000011EE\n", true, "",
       "01 00000000 After |:00000001FF|\n00 00000000 Before |:0100000011EE|\n"},
      {"no end-of-file record", ":0100000011EE\n", true, "",
       "00 00000000 Before |:0100000011EE|\n"},
      {"several end-of-file records", ":00000001FF\n:00000001FF\n", true, "",
       "01 00000000 After |:00000001FF|\n01 00000000 After |:00000001FF|\n"},
      // A refused line ends the scan without a batch: no record of it is written.
      {"bad type after the end-of-file record", ":00000001FF\n:0000000600\n", false, "", ""},
      {"type FF after the end-of-file record", ":00000001FF\n:020000FF0000FF\n", false, kL2008, ""},
      {"S5 after the termination record", "S9031000EC\nS5030001FB\n", false, "", ""},
  };
  for (const Case& c : cases) {
    ScanRun run = ScanText(c.contents, 0xFFFF);
    EXPECT_EQ(c.accepted, run.accepted) << c.name;
    EXPECT_EQ(c.messages, run.messages) << c.name;
    EXPECT_EQ(c.records, RecordRows(run)) << c.name;
  }
}

TEST(InputScan, CodeFieldMustBeWhollyOutsideInsideOrSplitInFileOrder) {
  // Intel HEX records at 00-0F, 10-1F and 100-103, and S-records at FFC-FFF and 1000-1003.
  const std::string first = ":10000000000102030405060708090A0B0C0D0E0F78\n";
  const std::string second = ":10001000101112131415161718191A1B1C1D1E1F68\n";
  const std::string other = ":04010000AABBCCDDF2\n";
  const std::string sFirst = "S1070FFCAABBCCDDxx\n";
  const std::string sSecond = "S10710001122334455\n";
  struct Case {
    const char* name;
    uint32_t code;
    std::string contents;
    bool accepted;
    std::string messages;
    const char* placements;
  };
  const Case cases[] = {
      {"not covered", 0x200, first + second + other, true, "", "Before Before Before"},
      {"within", 0x1E, first + second, true, "", "Before Within"},
      {"split with a record between", 0x0F, first + other + second, true, "",
       "SplitFirst After SplitSecond"},
      {"split in the wrong order", 0x0F, second + first, false, kL3315, ""},
      {"split left open", 0x0F, first + other, false, kL3315, "SplitFirst After"},
      {"second split left open", 0x0F, first + second + first, false, kL3315,
       "SplitFirst SplitSecond SplitFirst"},
      {"second split completed", 0x0F, first + second + first + second, true, "",
       "SplitFirst SplitSecond SplitFirst SplitSecond"},
      {"S-records split", 0xFFF, sFirst + "S9031000EC\n" + sSecond, true, "",
       "SplitFirst After SplitSecond"},
      // The S-record reader refuses the line without a message of its own.
      {"S-records split in the wrong order", 0xFFF, sSecond + sFirst, false, "", ""},
      {"S-records split left open", 0xFFF, sFirst + "S9031000EC\n", false, kL3315,
       "SplitFirst After"},
  };
  for (const Case& c : cases) {
    ScanRun run = ScanText(c.contents, c.code);
    EXPECT_EQ(c.accepted, run.accepted) << c.name;
    EXPECT_EQ(c.messages, run.messages) << c.name;
    std::string placements;
    for (const ScannedRecord& record : run.records) {
      placements += (placements.empty() ? "" : " ") + std::string(PlacementName(record.placement));
    }
    EXPECT_EQ(c.placements, placements) << c.name;
  }
}

// The sample files were written by peer tools from one image with four blocks of 12 bytes;
// the peer reads the blocks back as FFF8-10003, 12340-1234B, 7FFF0-7FFFB and ABCD1230-ABCD123B.
TEST(InputScan, FilesOfPeerToolsGiveTheirAddresses) {
  struct Case {
    const char* name;
    const char* rows;
  };
  const Case cases[] = {
      {"extended_linear_addressing.hex",
       "04 00000000 Before\n00 0000FFF8 Before\n04 00010000 Before\n00 00010000 Before\n"
       "00 00012340 SplitFirst\n00 00012348 SplitSecond\n04 00070000 After\n00 0007FFF0 After\n"
       "00 0007FFF8 After\n04 ABCD0000 After\n00 ABCD1230 After\n00 ABCD1238 After\n"
       "01 00000000 After\n"},
      {"s3_records_over_64k.s37",
       "S0 00000000 Before\nS3 0000FFF8 Before\nS3 00010000 Before\nS3 00012340 SplitFirst\n"
       "S3 00012348 SplitSecond\nS3 0007FFF0 After\nS3 0007FFF8 After\nS3 ABCD1230 After\n"
       "S3 ABCD1238 After\n"},
  };
  for (const Case& c : cases) {
    ByteSource source;
    ASSERT_TRUE(OpenSourceFile(std::string(SUMWRIGHT_TEST_DATA "/") + c.name, &source));
    // Code address 0x12347: the last byte of the record at 12340.
    ScanRun run = ScanSource(&source, c.name, 0x12347);
    ASSERT_TRUE(run.accepted) << c.name;
    std::string rows;
    for (const ScannedRecord& record : run.records) {
      rows += RecordRow(run.format, record.type, record.address, record.placement) + "\n";
    }
    EXPECT_EQ(c.rows, rows) << c.name;
  }
}

}  // namespace
}  // namespace sumwright
