// Fuzzes the Intel HEX line reader, on the lines the real scan splits and reads, and the field
// accessors of the records it hands out.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "input/code_placement.h"
#include "input/intel_hex_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sumwright;
  uint32_t codeAddress = TakeCodeAddress(&data, &size);
  // The scan's reading, followed record by record from exactly sized copies of the texts.
  ExtendedAddressState state;
  CodeField field{codeAddress, CodeSplit::None};
  QuietStandardError quiet;
  ForEachScannedRecord<IntelHexLine>(
      data, size, codeAddress, [&](const ScanBatch&, const IntelHexLine& scanned) {
        ExactCopy copy(scanned.text, scanned.length);
        IntelHexLine record{};
        FuzzCheck(ReadIntelHexLine(copy.text(), copy.length, &state, &record) &&
                      PlaceIntelHexLine(&record, &field),
                  "a line the scan accepted is accepted when read again in order");
        CheckReadAgain(record, copy, scanned);
        uint32_t value = 0;
        RecordType(record, &value);
        ByteCount(record, &value);
        LoadOffset(record, &value);
        ExtensionValue(record, &value);
        std::string_view digits;
        if (DataText(record, &digits)) {
          FuzzCheck(InsideLine(digits, copy.text(), copy.length),
                    "data digits lie inside the line");
        }
      });
  return 0;
}
