// Tests of the input scan: form detection, line ends, blank and over-long lines, the split code
// field, and the messages of a failed scan.
#include <gtest/gtest.h>

#include <string>

#include "base/interrupt.h"
#include "input/code_placement.h"
#include "input/hex_file.h"
#include "support/temp_dir.h"

namespace sumwright {
namespace {

const char kL3315[] = "** L3315 (F) Invalid \"CRC Code\" Location \n";

// One row per record: type, address, placement and the text between bars.
template <typename Record>
std::string Render(const std::vector<Record>& records) {
  std::string result;
  for (const Record& record : records) {
    char row[64];
    std::snprintf(row, sizeof row, "%02X %08X %d |", record.type, record.address, record.placement);
    result += row;
    result.append(record.text, record.length);
    result += "|\n";
  }
  return result;
}

struct ScanResult {
  bool ok = false;
  std::string messages;
  std::string records;
  FileFormat format = NoFormat;
  std::string lineEnd;
};

class InputScanTest : public testing::Test {
 protected:
  void SetUp() override { ClearCodePlacement(); }
  void TearDown() override { ClearCodePlacement(); }

  ScanResult Scan(const std::string& contents, uint32_t code) {
    ClearCodePlacement();
    CrcCodeAddress = code;
    dir_.Write("in.hex", contents);
    HexFile file;
    testing::internal::CaptureStderr();
    ScanResult result;
    result.ok = file.ScanInput(dir_.Path("in.hex"));
    result.messages = testing::internal::GetCapturedStderr();
    result.records =
        file.format == SRecord ? Render(file.sRecordLines) : Render(file.intelHexLines);
    result.format = file.format;
    result.lineEnd = file.lineEnd;
    EXPECT_TRUE(file.format == SRecord ? file.intelHexLines.empty() : file.sRecordLines.empty());
    return result;
  }

  std::string InvalidFormat() const {
    return "** L3304 (F) Invalid file format : \"" + dir_.Path("in.hex") + "\"\n";
  }

  TempDir dir_;
};

TEST_F(InputScanTest, MissingFileGivesL3300WithItsName) {
  HexFile file;
  std::string name = dir_.Path("missing.hex");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(file.ScanInput(name));
  EXPECT_EQ("** L3300 (F) Cannot Open File : \"" + name + "\"\n",
            testing::internal::GetCapturedStderr());
}

TEST_F(InputScanTest, InvalidFileFormatGivesL3304WithTheFileName) {
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
    ScanResult result = Scan(c.contents, 0x100);
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_EQ(InvalidFormat(), result.messages) << c.name;
  }
}

TEST_F(InputScanTest, LineOf522CharactersIsOneRecord) {
  const std::string intel = ":00000001" + std::string(513, 'F');
  ScanResult result = Scan(intel + "\r\n" + intel, 0x100);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ("01 00000000 1 |" + intel + "|\n01 00000000 1 |" + intel + "|\n", result.records);
  const std::string header = "S0" + std::string(520, 'A');
  result = Scan(header + "\n", 0x100);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ("00 00000000 5 |" + header + "|\n", result.records);
}

TEST_F(InputScanTest, LineEndsBlankLinesAndTheLastLine) {
  struct Case {
    const char* name;
    std::string contents;
    const char* lineEnd;
    const char* records;
  };
  const Case cases[] = {
      {"line feeds", ":0100000011EE\n:00000001FF\n", "\n",
       "00 00000000 5 |:0100000011EE|\n01 00000000 1 |:00000001FF|\n"},
      {"carriage return and line feed", ":0100000011EE\r\n:00000001FF\r\n", "\r\n",
       "00 00000000 5 |:0100000011EE|\n01 00000000 1 |:00000001FF|\n"},
      {"first line decides: LF then CR LF", ":0100000011EE\n:00000001FF\r\n", "\n",
       "00 00000000 5 |:0100000011EE|\n01 00000000 1 |:00000001FF|\n"},
      {"first line decides: CR LF then LF", ":0100000011EE\r\n:00000001FF\n", "\r\n",
       "00 00000000 5 |:0100000011EE|\n01 00000000 1 |:00000001FF|\n"},
      {"last line without a line end keeps every character", ":0100000011EE\n:00000001FF", "\n",
       "00 00000000 5 |:0100000011EE|\n01 00000000 1 |:00000001FF|\n"},
      {"one line without a line end", ":00000001FF", "\n", "01 00000000 1 |:00000001FF|\n"},
      {"one line with CR LF", ":00000001FF\r\n", "\r\n", "01 00000000 1 |:00000001FF|\n"},
      {"carriage return at the very end", ":0100000011EE\r\n:00000001FF\r", "\r\n",
       "00 00000000 5 |:0100000011EE|\n01 00000000 1 |:00000001FF|\n"},
      {"blank lines are skipped", ":0100000011EE\n\n \t \n\r\n\t\r\n:00000001FF\n\n", "\n",
       "00 00000000 5 |:0100000011EE|\n01 00000000 1 |:00000001FF|\n"},
      {"a carriage return inside a line stays", ":00000001F\rF\n", "\n",
       "01 00000000 1 |:00000001F\rF|\n"},
      {"S-records with CR LF", "S0030000FC\r\nS1051000AAFF\r\n\r\nS9031000EC\r\n", "\r\n",
       "00 00000000 5 |S0030000FC|\n01 00001000 1 |S1051000AAFF|\n"
       "09 00000000 1 |S9031000EC|\n"},
  };
  for (const Case& c : cases) {
    ScanResult result = Scan(c.contents, 0x100);
    EXPECT_TRUE(result.ok) << c.name << result.messages;
    EXPECT_EQ("", result.messages) << c.name;
    EXPECT_EQ(c.lineEnd, result.lineEnd) << c.name;
    EXPECT_EQ(c.records, result.records) << c.name;
  }
}

TEST_F(InputScanTest, FirstCharacterDecidesTheFormOfEveryLine) {
  ScanResult intel = Scan(":0100000011EE\nS00000001FF\nX00000001FF\n", 0x100);
  EXPECT_TRUE(intel.ok);
  EXPECT_EQ(IntelHex, intel.format);
  EXPECT_EQ(
      "00 00000000 5 |:0100000011EE|\n01 00000000 1 |S00000001FF|\n"
      "01 00000000 1 |X00000001FF|\n",
      intel.records);
  ScanResult sRecords = Scan("S1051000AAFF\n:1031000EC\ns1051002BBFF\n", 0x100);
  EXPECT_TRUE(sRecords.ok);
  EXPECT_EQ(SRecord, sRecords.format);
  EXPECT_EQ(
      "01 00001000 1 |S1051000AAFF|\n01 00001000 1 |:1031000EC|\n"
      "01 00001002 1 |s1051002BBFF|\n",
      sRecords.records);
}

TEST_F(InputScanTest, NoRecordTypeEndsTheScan) {
  struct Case {
    const char* name;
    std::string contents;
    bool ok;
    const char* messages;
    const char* records;
  };
  const Case cases[] = {
      {"data after the end-of-file record", ":00000001FF\n:0100000011EE\n", true, "",
       "01 00000000 1 |:00000001FF|\n00 00000000 5 |:0100000011EE|\n"},
      {"no end-of-file record", ":0100000011EE\n", true, "", "00 00000000 5 |:0100000011EE|\n"},
      {"several end-of-file records", ":00000001FF\n:00000001FF\n", true, "",
       "01 00000000 1 |:00000001FF|\n01 00000000 1 |:00000001FF|\n"},
      {"bad type after the end-of-file record", ":00000001FF\n:0000000600\n", false, "",
       "01 00000000 1 |:00000001FF|\n"},
      {"type FF after the end-of-file record", ":00000001FF\n:020000FF0000FF\n", false,
       "** L2008 (E) Invalid address record type \"Valdane Extended\"\n",
       "01 00000000 1 |:00000001FF|\n"},
      {"S5 after the termination record", "S9031000EC\nS5030001FB\n", false, "",
       "09 00000000 1 |S9031000EC|\n"},
  };
  for (const Case& c : cases) {
    ScanResult result = Scan(c.contents, 0xFFFF);
    EXPECT_EQ(c.ok, result.ok) << c.name;
    EXPECT_EQ(c.messages, result.messages) << c.name;
    EXPECT_EQ(c.records, result.records) << c.name;
  }
}

TEST_F(InputScanTest, CodeFieldMustBeWhollyOutsideInsideOrSplitInFileOrder) {
  // Code field at 0x0F and 0x10.
  const std::string first = ":10000000000102030405060708090A0B0C0D0E0F78\n";
  const std::string second = ":10001000101112131415161718191A1B1C1D1E1F68\n";
  const std::string other = ":04010000AABBCCDDF2\n";
  struct Case {
    const char* name;
    uint32_t code;
    std::string contents;
    bool ok;
    std::string messages;
    const char* placements;
  };
  const Case cases[] = {
      {"not covered", 0x200, first + second + other, true, "", "555"},
      {"within", 0x1E, first + second, true, "", "53"},
      {"split with a record between", 0x0F, first + other + second, true, "", "412"},
      {"split in the wrong order", 0x0F, second + first, false, kL3315, ""},
      {"split left open", 0x0F, first + other, false, kL3315, "41"},
      {"second split left open", 0x0F, first + second + first, false, kL3315, "424"},
      {"second split completed", 0x0F, first + second + first + second, true, "", "4242"},
  };
  for (const Case& c : cases) {
    ScanResult result = Scan(c.contents, c.code);
    EXPECT_EQ(c.ok, result.ok) << c.name;
    EXPECT_EQ(c.messages, result.messages) << c.name;
    std::string placements;
    for (size_t at = 0; (at = result.records.find('|', at)) != std::string::npos;) {
      placements += result.records[at - 2];
      at = result.records.find('\n', at);
    }
    EXPECT_EQ(c.placements, placements) << c.name;
  }
}

TEST_F(InputScanTest, SplitCodeFieldInSRecords) {
  const std::string first = "S1070FFCAABBCCDDxx\n";
  const std::string second = "S10710001122334455\n";
  struct Case {
    const char* name;
    std::string contents;
    bool ok;
    std::string messages;
  };
  const Case cases[] = {
      {"split", first + "S9031000EC\n" + second, true, ""},
      {"wrong order fails without a message", second + first, false, ""},
      {"left open at the end", first + "S9031000EC\n", false, kL3315},
  };
  for (const Case& c : cases) {
    ScanResult result = Scan(c.contents, 0x0FFF);
    EXPECT_EQ(c.ok, result.ok) << c.name;
    EXPECT_EQ(c.messages, result.messages) << c.name;
  }
}

// The sample files were written by peer tools from one image with four blocks of 12 bytes;
// the peer reads the blocks back as FFF8-10003, 12340-1234B, 7FFF0-7FFFB and ABCD1230-ABCD123B.
TEST_F(InputScanTest, FilesOfPeerToolsGiveTheirAddresses) {
  ClearCodePlacement();
  CrcCodeAddress = 0x12347;  // the last byte of the record at 12340
  HexFile intel;
  ASSERT_TRUE(intel.ScanInput(SUMWRIGHT_TEST_DATA "/extended_linear_addressing.hex"));
  std::string rows;
  for (const IntelHexLine& line : intel.intelHexLines) {
    char row[32];
    std::snprintf(row, sizeof row, "%02X %08X %d\n", line.type, line.address, line.placement);
    rows += row;
  }
  EXPECT_EQ(
      "04 00000000 5\n00 0000FFF8 5\n04 00010000 5\n00 00010000 5\n00 00012340 4\n"
      "00 00012348 2\n04 00070000 1\n00 0007FFF0 1\n00 0007FFF8 1\n04 ABCD0000 1\n"
      "00 ABCD1230 1\n00 ABCD1238 1\n01 00000000 1\n",
      rows);

  ClearCodePlacement();
  CrcCodeAddress = 0x12347;
  HexFile sRecords;
  ASSERT_TRUE(sRecords.ScanInput(SUMWRIGHT_TEST_DATA "/s3_records_over_64k.s37"));
  rows.clear();
  for (const SRecordLine& line : sRecords.sRecordLines) {
    char row[32];
    std::snprintf(row, sizeof row, "S%X %08X %d\n", line.type, line.address, line.placement);
    rows += row;
  }
  EXPECT_EQ(
      "S0 00000000 5\nS3 0000FFF8 5\nS3 00010000 5\nS3 00012340 4\nS3 00012348 2\n"
      "S3 0007FFF0 1\nS3 0007FFF8 1\nS3 ABCD1230 1\nS3 ABCD1238 1\n",
      rows);
}

TEST_F(InputScanTest, RecordTextsPointIntoTheOneInputBuffer) {
  ClearCodePlacement();
  CrcCodeAddress = 0x100;
  dir_.Write("in.hex", ":0100000011EE\r\n\r\n:00000001FF\r\n");
  HexFile file;
  ASSERT_TRUE(file.ScanInput(dir_.Path("in.hex")));
  ASSERT_EQ(2u, file.intelHexLines.size());
  EXPECT_EQ(file.inputText.data(), file.intelHexLines[0].text);
  EXPECT_EQ(file.inputText.data() + 17, file.intelHexLines[1].text);
}

TEST_F(InputScanTest, CtrlCDuringTheScanEndsWithL3410) {
  dir_.Write("in.hex", ":00000001FF\n");
  std::string name = dir_.Path("in.hex");
  EXPECT_EXIT(
      {
        SetInterrupt(1);
        HexFile file;
        file.ScanInput(name);
      },
      testing::ExitedWithCode(1), "^\\*\\* L3410 \\(F\\) Interrupt by user$");
}

}  // namespace
}  // namespace sumwright
