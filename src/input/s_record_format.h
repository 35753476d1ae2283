// The layout of an S-record and the rules of its address widths: the reader, the writer and the
// CRC side all take them from here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sumwright {

// A record is "S", the type digit, and then pairs of hexadecimal digits: the count, the address
// (2, 3 or 4 bytes by type), the data and the checksum. Columns are counted from 1.
constexpr size_t kSRecordTypeColumn = 2;
constexpr size_t kSRecordCountColumn = 3;
constexpr size_t kSRecordAddressColumn = 5;

// Header 0; data 1, 2, 3; termination 7, 8, 9. The types 4, 5 and 6 are refused.
constexpr uint32_t kSRecordHeader = 0;

// The bytes of the address field of a record type: S1 and S9 two, S2 and S8 three, S3 and S7
// four; 0 for types without an address field.
constexpr size_t SRecordAddressBytes(uint32_t type) {
  switch (type) {
    case 1:
    case 9:
      return 2;
    case 2:
    case 8:
      return 3;
    case 3:
    case 7:
      return 4;
    default:
      return 0;
  }
}

// True for the data records S1, S2 and S3.
constexpr bool IsSRecordData(uint32_t type) {
  return type >= 1 && type <= 3;
}

// True for the termination records S7, S8 and S9.
constexpr bool IsSRecordTermination(uint32_t type) {
  return type >= 7 && type <= 9;
}

// The column where the data digits of data record `type` start, right after its address.
constexpr size_t SRecordDataColumn(uint32_t type) {
  return kSRecordAddressColumn + 2 * SRecordAddressBytes(type);
}

// The narrowest data record type whose address field reaches `address`: S1 up to 0xFFFF, S2 up
// to 0xFFFFFF, S3 above.
constexpr uint32_t SRecordDataType(uint32_t address) {
  return address <= 0xFFFFu ? 1u : address <= 0xFFFFFFu ? 2u : 3u;
}

}  // namespace sumwright
