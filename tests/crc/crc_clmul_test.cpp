// Tests of the carry-less multiply forms of the two CRC-16 algorithms against the reference.
#include "crc/crc_clmul.h"

#include <gtest/gtest.h>

#include <vector>

#include "crc/crc_algorithms.h"
#include "options/option_state.h"
#include "support/image_model.h"

namespace sumwright {
namespace {

TEST(CrcClmul, EqualsReferenceOnRandomDataOfEveryShortAndSomeLongLengths) {
  if (!ClmulAvailable()) {
    GTEST_SKIP() << "no carry-less multiply on this processor";
  }
  std::vector<size_t> lengths = {65534, 65535, 65536, 65537};
  for (size_t length = 0; length <= 300; ++length) {
    lengths.push_back(length);
  }
  ExpectSameAsBitwise(CcittUpdateClmul, Crc16UpdateClmul, lengths, 64);
}

TEST(CrcClmul, RunsOfOneValueEqualReference) {
  // All-zero and all-0xFF blocks: the register alone decides the first fold.
  for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}}) {
    std::vector<uint8_t> bytes(1000, value);
    for (uint32_t start : {0x0000u, 0xFFFFu, 0x8001u}) {
      for (CrcAlgorithm algorithm : {Ccitt, Crc16}) {
        CrcState state{algorithm, start};
        UpdateCrc(&state, bytes.data(), bytes.size());
        uint32_t expected = algorithm == Ccitt
                                ? CcittUpdateBitwise(start, bytes.data(), bytes.size())
                                : Crc16UpdateBitwise(start, bytes.data(), bytes.size());
        EXPECT_EQ(expected, state.crcRegister) << int{value} << " from " << start;
      }
    }
  }
}

}  // namespace
}  // namespace sumwright
