// Bounded random tests of the line readers and the scan: random lines and random mutations of
// valid files must never crash or read outside a text, and whatever is accepted must hold
// together. Run under the address sanitizer, an out-of-bounds read fails the test.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "input/code_placement.h"
#include "input/intel_hex_reader.h"
#include "input/s_record_reader.h"
#include "support/pipeline_run.h"

namespace sumwright {
namespace {

// Characters that make a random line likely to get past the first checks.
const char kAlphabet[] = "0123456789ABCDEFabcdef:S \t\r\nxG-0000FF0102030405";

std::string RandomLine(std::mt19937* random) {
  size_t length = (*random)() % 48;
  std::string line;
  for (size_t i = 0; i < length; ++i) {
    if ((*random)() % 8 == 0) {
      line += static_cast<char>((*random)() & 0xFF);
    } else {
      line += kAlphabet[(*random)() % (sizeof kAlphabet - 1)];
    }
  }
  return line;
}

uint32_t RandomCodeAddress(std::mt19937* random) {
  const uint32_t choices[] = {0x0, 0x1, 0xF, 0x10, 0x100, 0x10F, 0x1000, 0xFFFFFFFE};
  return choices[(*random)() % 8];
}

// Uses every accessor of an accepted record; they must stay inside its text.
void TouchIntelHex(const IntelHexLine& line) {
  uint32_t value = 0;
  std::string_view data;
  ASSERT_TRUE(RecordType(line, &value));
  ByteCount(line, &value);
  LoadOffset(line, &value);
  ExtensionValue(line, &value);
  if (DataText(line, &data)) {
    ASSERT_GE(data.data(), line.text);
    ASSERT_LE(data.data() + data.size(), line.text + line.length);
  }
  ASSERT_NE(CodePlacement::Invalid, line.placement);
}

void TouchSRecord(const SRecordLine& line) {
  uint32_t value = 0;
  std::string_view text;
  ASSERT_TRUE(RecordType(line, &value));
  AddressValue(line, &value);
  if (AddressText(line, &text)) {
    ASSERT_LE(text.data() + text.size(), line.text + line.length);
  }
  if (DataText(line, &text)) {
    ASSERT_LE(text.data() + text.size(), line.text + line.length);
  }
  ASSERT_NE(CodePlacement::Invalid, line.placement);
}

TEST(InputFuzz, RandomLinesNeverReadOutsideTheirText) {
  std::mt19937 random(20261207);
  ExtendedAddressState state;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 4000; ++i) {
    CodeField field{RandomCodeAddress(&random), CodeSplit::None};
    std::string line = RandomLine(&random);
    if (i % 2 == 0 && !line.empty()) {
      line[0] = ':';
    }
    // An exactly sized copy, so that a read one past the end is caught.
    std::unique_ptr<char[]> text(new char[line.size() + 1]);
    line.copy(text.get(), line.size());
    IntelHexLine intel{};
    if (ReadIntelHexLine(text.get(), line.size(), &state, &intel) &&
        PlaceIntelHexLine(&intel, &field)) {
      TouchIntelHex(intel);
    }
    SRecordLine sRecord{};
    if (ReadSRecordLine(text.get(), line.size(), &sRecord) && PlaceSRecordLine(&sRecord, &field)) {
      TouchSRecord(sRecord);
    }
  }
  testing::internal::GetCapturedStderr();
}

std::string Mutate(std::string contents, std::mt19937* random) {
  int edits = 1 + static_cast<int>((*random)() % 4);
  for (int e = 0; e < edits && !contents.empty(); ++e) {
    size_t at = (*random)() % contents.size();
    switch ((*random)() % 6) {
      case 0:
        contents[at] = static_cast<char>((*random)() & 0xFF);
        break;
      case 1:
        contents.erase(at, 1 + (*random)() % 8);
        break;
      case 2:
        contents.insert(at, 1, kAlphabet[(*random)() % (sizeof kAlphabet - 1)]);
        break;
      case 3:
        contents.insert(at, "\r\n");
        break;
      case 4:
        contents.insert(at, contents.substr(at, (*random)() % 60));
        break;
      default:
        contents.insert(at, std::string((*random)() % 600, 'F'));
        break;
    }
  }
  return contents;
}

TEST(InputFuzz, MutatedFilesScanSafely) {
  const std::string seeds[] = {
      ":020000040000FA\n:10000000000102030405060708090A0B0C0D0E0F78\n"
      ":10001000101112131415161718191A1B1C1D1E1F68\n:0100200011CE\n:00000001FF\n",
      ":020000021000EC\r\n:04001000DEADBEEFB4\r\n:00000001FF\r\n",
      "S00600004844521B\nS1131000000102030405060708090A0B0C0D0E0F64\n"
      "S2080123450102030484\nS30900001000AABBCCDDxx\nS9031000EC\n",
  };
  std::mt19937 random(7);
  for (int i = 0; i < 600; ++i) {
    std::string contents = Mutate(seeds[i % 3], &random);
    // The scan checks that every record text is the input at the record's offset.
    ScanRun run = ScanText(contents, RandomCodeAddress(&random));
    for (const ScannedRecord& record : run.records) {
      ASSERT_LE(record.text.size(), 522u);
      // An exactly sized copy, so that the accessors cannot read past the text unnoticed.
      std::unique_ptr<char[]> text(new char[record.text.size() + 1]);
      record.text.copy(text.get(), record.text.size());
      uint16_t length = static_cast<uint16_t>(record.text.size());
      if (run.format == IntelHex) {
        TouchIntelHex(
            IntelHexLine{text.get(), record.address, length, record.type, record.placement});
      } else {
        TouchSRecord(
            SRecordLine{text.get(), record.address, length, record.type, record.placement});
      }
    }
  }
}

}  // namespace
}  // namespace sumwright
