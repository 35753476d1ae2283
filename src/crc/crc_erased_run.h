// Runs of 0xFF bytes (addresses no record holds) fed into a CRC in time logarithmic in their
// length.
#pragma once

#include <cstdint>

#include "crc/crc_algorithms.h"

namespace sumwright {

// The register after `count` bytes of 0xFF (any count below 2^41; a walk needs at most 2^32) from
// `crcRegister`, the same value that feeding the bytes one by one gives. One byte update is an
// affine map of the register over GF(2), so the run is applied as at most one precomputed map per
// set bit of `count`.
uint32_t CcittUpdateErased(uint32_t crcRegister, uint64_t count);
uint32_t Crc16UpdateErased(uint32_t crcRegister, uint64_t count);

// Feeds `count` bytes of 0xFF into the running CRC.
void UpdateCrcErased(CrcState* state, uint64_t count);

}  // namespace sumwright
