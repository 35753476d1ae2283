// The two CRC-16 algorithms: bitwise reference updates and the fast forms the engine uses.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/crc_request.h"

namespace sumwright {

// A running CRC: the algorithm and the register. Only the low 16 bits of the register are
// meaningful; every update leaves the upper 16 bits zero.
struct CrcState {
  CrcAlgorithm algorithm = Crc16;
  uint32_t crcRegister = 0;
};

// Starts a CRC. Code 1 ("CCITT", CRC-16/GENIBUS) sets the register to 0xFFFF, code 0 ("16",
// CRC-16/ARC) sets it to 0; either stores the code and returns true. Any other code returns
// false and leaves *state unchanged.
bool SelectAlgorithm(CrcAlgorithm algorithm, CrcState* state);

// The CRC value: code 0 gives the register, code 1 its ones' complement, both to 16 bits.
// False, with *crc untouched, for any other code.
bool TakeResult(const CrcState& state, uint32_t* crc);

// The slow, obviously right updates, bit by bit with no table, that the fast forms are checked
// against; each returns the register after `count` bytes. CCITT shifts left through 0x1021,
// "16" shifts right through 0xA001.
uint32_t CcittUpdateBitwise(uint32_t crcRegister, const uint8_t* bytes, size_t count);
uint32_t Crc16UpdateBitwise(uint32_t crcRegister, const uint8_t* bytes, size_t count);

// Table forms, sixteen bytes per step, with results identical to the reference updates.
uint32_t CcittUpdate(uint32_t crcRegister, const uint8_t* bytes, size_t count);
uint32_t Crc16Update(uint32_t crcRegister, const uint8_t* bytes, size_t count);

// Feeds `count` bytes into the running CRC: by carry-less multiplication where the processor
// offers it, else with the table form of its algorithm.
void UpdateCrc(CrcState* state, const uint8_t* bytes, size_t count);

}  // namespace sumwright
