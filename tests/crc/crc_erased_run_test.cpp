// Tests of runs of 0xFF bytes fed in logarithmic time.
#include "crc/crc_erased_run.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "crc/crc_algorithms.h"

namespace sumwright {
namespace {

// The register after `count` bytes of 0xFF, fed one by one through the reference update.
uint32_t ReferenceErased(int code, uint32_t crcRegister, size_t count) {
  std::vector<uint8_t> erased(count, 0xFF);
  return code == 1 ? CcittUpdateBitwise(crcRegister, erased.data(), count)
                   : Crc16UpdateBitwise(crcRegister, erased.data(), count);
}

uint32_t Erased(int code, uint32_t crcRegister, uint64_t count) {
  return code == 1 ? CcittUpdateErased(crcRegister, count) : Crc16UpdateErased(crcRegister, count);
}

TEST(CrcErasedRun, EqualsByteByByteReference) {
  std::mt19937 random(99);
  std::vector<size_t> counts = {65534, 65535, 65536, 65537, 1000000};
  for (size_t count = 0; count <= 300; ++count) {
    counts.push_back(count);
  }
  for (int i = 0; i < 30; ++i) {
    counts.push_back(std::uniform_int_distribution<size_t>(0, 300000)(random));
  }
  for (int code : {0, 1}) {
    for (size_t count : counts) {
      uint32_t start = random() & 0xFFFFu;
      EXPECT_EQ(ReferenceErased(code, start, count), Erased(code, start, count))
          << "code " << code << ", " << count << " bytes from " << start;
    }
  }
}

TEST(CrcErasedRun, WholeAddressSpaceMatchesIndependentValues) {
  // python3 crcmod, fed 2^32 bytes of 0xFF in 1 MiB blocks:
  // Crc(0x11021, initCrc=0, rev=False, xorOut=0xFFFF) and Crc(0x18005, initCrc=0, rev=True).
  struct Case {
    CrcAlgorithm code;
    uint64_t count;
    uint32_t crc;
  };
  const Case cases[] = {
      {Ccitt, uint64_t{1} << 32, 0xE2F0},
      {Crc16, uint64_t{1} << 32, 0x9401},
  };
  for (const Case& c : cases) {
    CrcState state;
    ASSERT_TRUE(SelectAlgorithm(c.code, &state));
    UpdateCrcErased(&state, c.count);
    uint32_t crc = 0;
    ASSERT_TRUE(TakeResult(state, &crc));
    EXPECT_EQ(c.crc, crc) << c.code;
  }
}

TEST(CrcErasedRun, RunsSplitAnywhereGiveTheSameRegister) {
  const uint64_t total = (uint64_t{1} << 32) + 12345;
  for (int code : {0, 1}) {
    uint32_t whole = Erased(code, 0x1D0F, total);
    for (uint64_t first : {uint64_t{1}, uint64_t{65536}, uint64_t{0xFFFFFFFF}, total - 1}) {
      EXPECT_EQ(whole, Erased(code, Erased(code, 0x1D0F, first), total - first))
          << "code " << code << ", split after " << first;
    }
  }
}

}  // namespace
}  // namespace sumwright
