// Fuzzes the Intel HEX line reader and the field accessors of the records it keeps.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "input/code_placement.h"
#include "input/intel_hex_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sumwright;
  ClearCodePlacement();
  CrcCodeAddress = TakeCodeAddress(&data, &size);
  // Records point into the text, so it must outlive them.
  std::vector<uint8_t> text(data, data + size);
  std::vector<IntelHexLine> lines;
  ExtendedAddressState state;
  QuietStandardError quiet;
  ForEachLine(text.data(), text.size(), [&](const char* line, size_t length) {
    size_t before = lines.size();
    if (!ReadIntelHexLine(line, length, &state, &lines)) {
      // A refused line appends nothing; later lines are still read, for coverage.
      FuzzCheck(lines.size() == before, "a refused line adds no record");
      return true;
    }
    FuzzCheck(lines.size() == before + 1, "an accepted line adds one record");
    const IntelHexLine& record = lines.back();
    FuzzCheck(record.text == line && record.length == length, "a record holds its line");
    uint32_t value = 0;
    uint32_t end = 0;
    RecordType(record, &value);
    ByteCount(record, &value);
    LoadOffset(record, &value);
    ExtensionValue(record, &value);
    RecordSpan(record, &value, &end);
    std::string_view digits;
    if (DataText(record, &digits)) {
      FuzzCheck(InsideLine(digits, line, length), "data digits lie inside the line");
    }
    return true;
  });
  return 0;
}
