// Runs of 0xFF bytes (addresses no record holds) fed into a CRC in time logarithmic in their
// length.
#include "crc/crc_erased_run.h"

namespace sumwright {

namespace {

// r -> (M r) XOR c over GF(2): column i of M is the image of register bit i.
struct AffineMap {
  uint16_t column[16];
  uint16_t constant;
};

constexpr uint32_t ApplyLinear(const AffineMap& map, uint32_t r) {
  uint32_t v = 0;
  for (int i = 0; i < 16; ++i) {
    if (((r >> i) & 1u) != 0) {
      v ^= map.column[i];
    }
  }
  return v;
}

constexpr uint32_t Apply(const AffineMap& map, uint32_t r) {
  return ApplyLinear(map, r) ^ map.constant;
}

// 41 maps: entry k feeds 2^k bytes of 0xFF.
constexpr int kLevels = 41;

struct ErasedRunMaps {
  AffineMap level[kLevels];
};

// `step` is the register after one byte from a register; the maps for 2^(k+1) bytes are the
// maps for 2^k bytes applied twice.
template <typename Step>
constexpr ErasedRunMaps MakeMaps(Step step) {
  ErasedRunMaps maps{};
  for (int i = 0; i < 16; ++i) {
    maps.level[0].column[i] = static_cast<uint16_t>(step(1u << i, 0x00));
  }
  maps.level[0].constant = static_cast<uint16_t>(step(0, 0xFF));
  for (int k = 1; k < kLevels; ++k) {
    const AffineMap& half = maps.level[k - 1];
    for (int i = 0; i < 16; ++i) {
      maps.level[k].column[i] = static_cast<uint16_t>(ApplyLinear(half, half.column[i]));
    }
    maps.level[k].constant = static_cast<uint16_t>(Apply(half, half.constant));
  }
  return maps;
}

// One byte, bit by bit: most-significant bit first, polynomial 0x1021.
constexpr uint32_t CcittStep(uint32_t r, uint32_t byte) {
  r ^= byte << 8;
  for (int bit = 0; bit < 8; ++bit) {
    r = (r & 0x8000u) != 0 ? ((r << 1) ^ 0x1021u) & 0xFFFFu : (r << 1) & 0xFFFFu;
  }
  return r;
}

// One byte, bit by bit: least-significant bit first, reflected polynomial 0xA001.
constexpr uint32_t Crc16Step(uint32_t r, uint32_t byte) {
  r ^= byte;
  for (int bit = 0; bit < 8; ++bit) {
    r = (r & 1u) != 0 ? (r >> 1) ^ 0xA001u : r >> 1;
  }
  return r;
}

constexpr ErasedRunMaps kCcittMaps = MakeMaps(CcittStep);
constexpr ErasedRunMaps kCrc16Maps = MakeMaps(Crc16Step);

// Maps for different counts of 0xFF bytes commute, so the set bits may be taken in any order.
uint32_t ApplyRun(const ErasedRunMaps& maps, uint32_t crcRegister, uint64_t count) {
  uint32_t r = crcRegister & 0xFFFFu;
  for (int k = 0; k < kLevels && count != 0; ++k, count >>= 1) {
    if ((count & 1u) != 0) {
      r = Apply(maps.level[k], r);
    }
  }
  return r;
}

}  // namespace

uint32_t CcittUpdateErased(uint32_t crcRegister, uint64_t count) {
  return ApplyRun(kCcittMaps, crcRegister, count);
}

uint32_t Crc16UpdateErased(uint32_t crcRegister, uint64_t count) {
  return ApplyRun(kCrc16Maps, crcRegister, count);
}

void UpdateCrcErased(CrcState* state, uint64_t count) {
  state->crcRegister = state->algorithm == Crc16 ? Crc16UpdateErased(state->crcRegister, count)
                                                 : CcittUpdateErased(state->crcRegister, count);
}

}  // namespace sumwright
