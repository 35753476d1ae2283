// The layout of an Intel HEX record and the rules of its addresses: the reader, the writer and
// the CRC side all take them from here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "input/record_lines.h"

namespace sumwright {

// A record is ":" and then pairs of hexadecimal digits: the byte count, the load offset (two
// bytes), the record type, the data and the checksum. Columns are counted from 1, ":" in column 1.
constexpr size_t kIntelHexCountColumn = 2;   // two digits
constexpr size_t kIntelHexOffsetColumn = 4;  // four digits
constexpr size_t kIntelHexTypeColumn = 8;    // two digits
constexpr size_t kIntelHexDataColumn = 10;   // data digits, then the two checksum digits

// The record types this program reads; every other type is refused.
enum IntelHexType : uint8_t {
  kIntelHexData = 0x00,
  kIntelHexEndOfFile = 0x01,
  kIntelHexSegmentAddress = 0x02,  // extended segment address: the base is value * 16
  kIntelHexStartSegment = 0x03,
  kIntelHexLinearAddress = 0x04,  // extended linear address: the base is value * 65536
  kIntelHexStartLinear = 0x05,
  kIntelHexValdaneExtended = 0xFF,  // refused with a message of its own (L2008)
};

// The kind of extended address in effect: the type of the record that set it.
enum class AddressKind : int {
  Segment = kIntelHexSegmentAddress,
  Linear = kIntelHexLinearAddress,
  None = 6,  // no extended address record so far: the base is 0
};

// The extended address in effect: the value of the last extended address record.
struct ExtendedAddressState {
  uint32_t value = 0;
  AddressKind kind = AddressKind::None;
};

// The absolute address of a load offset under the extended address in effect; the sums wrap.
inline uint32_t IntelHexAddress(const ExtendedAddressState& state, uint32_t offset) {
  if (state.kind == AddressKind::Segment) {
    return state.value * 16u + offset;
  }
  if (state.kind == AddressKind::Linear) {
    return state.value * 65536u + offset;
  }
  return offset;
}

// An extended address record is placed by the address it selects (the base plus its own load
// offset): at or below the code address it comes Before the code field, above it After. The
// writer leans on this: until the code field has its place, every address record it has
// followed selected an address at or below the code address, so the base in effect never lies
// above the code field's page, and a page at or below that base is the base's own page.
inline CodePlacement PlaceAddressRecord(uint32_t selected, uint32_t codeAddress) {
  return selected <= codeAddress ? CodePlacement::Before : CodePlacement::After;
}

}  // namespace sumwright
