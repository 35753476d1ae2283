// Fuzzes the S-record line reader, on the lines the real scan splits and reads, and the field
// accessors of the records it hands out.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "input/code_placement.h"
#include "input/s_record_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sumwright;
  uint32_t codeAddress = TakeCodeAddress(&data, &size);
  // The scan's reading, followed record by record from exactly sized copies of the texts.
  CodeField field{codeAddress, CodeSplit::None};
  QuietStandardError quiet;
  ForEachScannedRecord<SRecordLine>(
      data, size, codeAddress, [&](const ScanBatch&, const SRecordLine& scanned) {
        ExactCopy copy(scanned.text, scanned.length);
        SRecordLine record{};
        FuzzCheck(
            ReadSRecordLine(copy.text(), copy.length, &record) && PlaceSRecordLine(&record, &field),
            "a line the scan accepted is accepted when read again in order");
        CheckReadAgain(record, copy, scanned);
        uint32_t value = 0;
        RecordType(record, &value);
        AddressValue(record, &value);
        std::string_view digits;
        if (AddressText(record, &digits)) {
          FuzzCheck(InsideLine(digits, copy.text(), copy.length),
                    "address digits lie inside the line");
        }
        if (DataText(record, &digits)) {
          FuzzCheck(InsideLine(digits, copy.text(), copy.length),
                    "data digits lie inside the line");
        }
      });
  return 0;
}
