// The two CRC-16 algorithms: bitwise reference updates and the fast forms the engine uses.
#include "crc/crc_algorithms.h"

#include "crc/crc_clmul.h"

namespace sumwright {

namespace {

// Sixteen tables per algorithm: table k gives the effect of one byte followed by k zero bytes,
// so sixteen bytes are folded into the register with sixteen independent lookups.
constexpr size_t kSlices = 16;

struct SlicingTables {
  uint16_t t[kSlices][256];
};

// Most-significant bit first, polynomial 0x1021, built bit by bit.
constexpr SlicingTables MakeCcittTables() {
  SlicingTables tables{};
  for (uint32_t x = 0; x < 256; ++x) {
    uint32_t r = x << 8;
    for (int bit = 0; bit < 8; ++bit) {
      r = (r & 0x8000u) != 0 ? (r << 1) ^ 0x1021u : r << 1;
    }
    tables.t[0][x] = static_cast<uint16_t>(r & 0xFFFFu);
  }
  for (size_t k = 1; k < kSlices; ++k) {
    for (uint32_t x = 0; x < 256; ++x) {
      uint32_t r = tables.t[k - 1][x];
      tables.t[k][x] = static_cast<uint16_t>(((r << 8) ^ tables.t[0][r >> 8]) & 0xFFFFu);
    }
  }
  return tables;
}

// Least-significant bit first, reflected polynomial 0xA001, built bit by bit.
constexpr SlicingTables MakeCrc16Tables() {
  SlicingTables tables{};
  for (uint32_t x = 0; x < 256; ++x) {
    uint32_t r = x;
    for (int bit = 0; bit < 8; ++bit) {
      r = (r & 1u) != 0 ? (r >> 1) ^ 0xA001u : r >> 1;
    }
    tables.t[0][x] = static_cast<uint16_t>(r);
  }
  for (size_t k = 1; k < kSlices; ++k) {
    for (uint32_t x = 0; x < 256; ++x) {
      uint32_t r = tables.t[k - 1][x];
      tables.t[k][x] = static_cast<uint16_t>((r >> 8) ^ tables.t[0][r & 0xFFu]);
    }
  }
  return tables;
}

constexpr SlicingTables kCcittTables = MakeCcittTables();
constexpr SlicingTables kCrc16Tables = MakeCrc16Tables();

}  // namespace

bool SelectAlgorithm(CrcAlgorithm algorithm, CrcState* state) {
  if (algorithm == Ccitt) {
    state->crcRegister = 0xFFFF;
  } else if (algorithm == Crc16) {
    state->crcRegister = 0;
  } else {
    return false;
  }
  state->algorithm = algorithm;
  return true;
}

bool TakeResult(const CrcState& state, uint32_t* crc) {
  if (state.algorithm == Crc16) {
    *crc = state.crcRegister & 0xFFFFu;
  } else if (state.algorithm == Ccitt) {
    *crc = ~state.crcRegister & 0xFFFFu;
  } else {
    return false;
  }
  return true;
}

uint32_t CcittUpdateBitwise(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  uint32_t x = crcRegister & 0xFFFFu;
  for (size_t i = 0; i < count; ++i) {
    x = ((x >> 8) | (x << 8)) & 0xFFFFu;  // exchange the two bytes
    x ^= bytes[i];
    x ^= (x & 0xFFu) >> 4;
    x ^= (x << 12) & 0xFFFFu;
    x ^= (x & 0xFFu) << 5;
  }
  return x & 0xFFFFu;
}

uint32_t Crc16UpdateBitwise(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  uint32_t r = crcRegister & 0xFFFFu;
  for (size_t i = 0; i < count; ++i) {
    r ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      r = (r & 1u) != 0 ? (r >> 1) ^ 0xA001u : r >> 1;
    }
  }
  return r;
}

uint32_t CcittUpdate(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  const auto& t = kCcittTables.t;
  uint32_t r = crcRegister & 0xFFFFu;
  while (count >= kSlices) {
    // The register is the first two bytes of what follows, high byte first.
    r = static_cast<uint32_t>(t[15][bytes[0] ^ (r >> 8)] ^ t[14][bytes[1] ^ (r & 0xFFu)] ^
                              t[13][bytes[2]] ^ t[12][bytes[3]] ^ t[11][bytes[4]] ^
                              t[10][bytes[5]] ^ t[9][bytes[6]] ^ t[8][bytes[7]] ^ t[7][bytes[8]] ^
                              t[6][bytes[9]] ^ t[5][bytes[10]] ^ t[4][bytes[11]] ^ t[3][bytes[12]] ^
                              t[2][bytes[13]] ^ t[1][bytes[14]] ^ t[0][bytes[15]]);
    bytes += kSlices;
    count -= kSlices;
  }
  for (size_t i = 0; i < count; ++i) {
    r = ((r << 8) ^ t[0][(r >> 8) ^ bytes[i]]) & 0xFFFFu;
  }
  return r;
}

uint32_t Crc16Update(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  const auto& t = kCrc16Tables.t;
  uint32_t r = crcRegister & 0xFFFFu;
  while (count >= kSlices) {
    // The register is the first two bytes of what follows, low byte first.
    r = static_cast<uint32_t>(t[15][bytes[0] ^ (r & 0xFFu)] ^ t[14][bytes[1] ^ (r >> 8)] ^
                              t[13][bytes[2]] ^ t[12][bytes[3]] ^ t[11][bytes[4]] ^
                              t[10][bytes[5]] ^ t[9][bytes[6]] ^ t[8][bytes[7]] ^ t[7][bytes[8]] ^
                              t[6][bytes[9]] ^ t[5][bytes[10]] ^ t[4][bytes[11]] ^ t[3][bytes[12]] ^
                              t[2][bytes[13]] ^ t[1][bytes[14]] ^ t[0][bytes[15]]);
    bytes += kSlices;
    count -= kSlices;
  }
  for (size_t i = 0; i < count; ++i) {
    r = (r >> 8) ^ t[0][(r ^ bytes[i]) & 0xFFu];
  }
  return r;
}

void UpdateCrc(CrcState* state, const uint8_t* bytes, size_t count) {
  // Carry-less multiplication pays from a few dozen bytes on.
  if (count >= 64 && ClmulAvailable()) {
    state->crcRegister = state->algorithm == Crc16
                             ? Crc16UpdateClmul(state->crcRegister, bytes, count)
                             : CcittUpdateClmul(state->crcRegister, bytes, count);
    return;
  }
  state->crcRegister = state->algorithm == Crc16 ? Crc16Update(state->crcRegister, bytes, count)
                                                 : CcittUpdate(state->crcRegister, bytes, count);
}

}  // namespace sumwright
