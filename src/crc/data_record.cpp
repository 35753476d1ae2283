// The image bytes one data record holds, as the CRC reads them.
#include "crc/data_record.h"

#include <algorithm>
#include <cstddef>

#include "base/hex_value.h"
#include "input/intel_hex_format.h"
#include "input/s_record_format.h"

namespace sumwright {

bool ReadDataRecord(const IntelHexLine& line, DataRecord* record) {
  // The record type was read by the reader already; this runs for every record of the file.
  uint32_t byteCount = 0;
  if (line.type != kIntelHexData || line.length < kIntelHexCountColumn + 1 ||
      !HexByte(line.text + kIntelHexCountColumn - 1, &byteCount) || byteCount == 0) {
    return false;
  }
  std::string_view digits = DataDigits(line.text, line.length, kIntelHexDataColumn - 1);
  record->start = line.address;
  record->byteCount = byteCount;
  record->digits = digits.substr(0, std::min<size_t>(digits.size(), size_t{2} * byteCount));
  return true;
}

bool ReadDataRecord(const SRecordLine& line, DataRecord* record) {
  if (!IsSRecordData(line.type)) {
    return false;
  }
  std::string_view digits = DataDigits(line.text, line.length, SRecordDataColumn(line.type) - 1);
  // Whole bytes only: a lone last digit is not a byte.
  uint32_t byteCount = static_cast<uint32_t>(digits.size() / 2);
  if (byteCount == 0) {
    return false;
  }
  record->start = line.address;
  record->byteCount = byteCount;
  record->digits = digits.substr(0, size_t{2} * byteCount);
  return true;
}

}  // namespace sumwright
