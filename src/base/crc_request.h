// What a run asks the CRC for: the algorithm, the ranges it covers and the order of its bytes.
#pragma once

#include <cstdint>

namespace sumwright {

// Which CRC byte goes first, at the code address: the high one (big) or the low one (little).
enum ByteOrder : int { LittleEndian = 0, BigEndian = 1 };

// 1: "CCITT" (CRC-16/GENIBUS, the default); 0: "16" (CRC-16/ARC).
enum CrcAlgorithm : int { Crc16 = 0, Ccitt = 1 };

// One inclusive address range of the -crc option.
struct AddressRange {
  uint32_t start;
  uint32_t end;
};

}  // namespace sumwright
