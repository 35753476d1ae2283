// The image bytes one data record holds, as the CRC reads them.
#pragma once

#include <cstdint>
#include <string_view>

#include "input/record_lines.h"

namespace sumwright {

// `byteCount` addresses from `start` (the span may run past 0xFFFFFFFF and go on at 0), and the
// digits that encode them, two per byte, at most 2 * byteCount characters: fewer where the
// record text lacks them, and those bytes read 0xFF.
struct DataRecord {
  uint32_t start;
  uint32_t byteCount;
  std::string_view digits;
};

// Intel HEX: a type 00 record; its bytes follow the byte count field, so digits beyond it are
// never read. S-records: S1, S2, S3; the whole digit pairs of the data field are its bytes.
// False for any other record and for one without bytes.
bool ReadDataRecord(const IntelHexLine& line, DataRecord* record);
bool ReadDataRecord(const SRecordLine& line, DataRecord* record);

}  // namespace sumwright
