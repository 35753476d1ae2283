// The CRC over the requested address ranges of the scanned image.
#pragma once

#include <cstdint>
#include <vector>

#include "base/crc_request.h"
#include "input/hex_file.h"

namespace sumwright {

struct CrcEngine {
  // Computes the CRC of `algorithm` over every address of `ranges` (sorted by start, disjoint,
  // as the range check leaves them), in ascending order, as one byte sequence: the byte of the
  // first data record in file order that holds the address, 0xFF where none does. On success
  // stores the 16-bit result in *crc. Polls the interrupt flag during long walks.
  bool Compute(CrcAlgorithm algorithm, const HexFile& file, const std::vector<AddressRange>& ranges,
               uint32_t* crc);
};

}  // namespace sumwright
