// Tests of the two CRC-16 algorithms: published check values, reference against table form.
#include "crc/crc_algorithms.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/image_model.h"

namespace sumwright {
namespace {

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

// The whole computation: start, feed, take the result.
uint32_t Crc(CrcAlgorithm code, const std::string& bytes, bool tableForm) {
  CrcState state;
  EXPECT_TRUE(SelectAlgorithm(code, &state));
  if (tableForm) {
    UpdateCrc(&state, Bytes(bytes), bytes.size());
  } else if (code == Ccitt) {
    state.crcRegister = CcittUpdateBitwise(state.crcRegister, Bytes(bytes), bytes.size());
  } else {
    state.crcRegister = Crc16UpdateBitwise(state.crcRegister, Bytes(bytes), bytes.size());
  }
  uint32_t crc = 0xDEAD0000;
  EXPECT_TRUE(TakeResult(state, &crc));
  return crc;
}

TEST(CrcAlgorithms, PublishedCheckValuesAndOneByteExamples) {
  struct Case {
    CrcAlgorithm code;
    std::string bytes;
    uint32_t crc;
  };
  // Check values of CRC-16/GENIBUS and CRC-16/ARC over "123456789" from the published catalogue
  // of parametrised CRC algorithms; the one-byte values from python3 crcmod:
  // mkCrcFun(0x11021, initCrc=0, rev=False, xorOut=0xFFFF) and mkCrcFun(0x18005, rev=True).
  const Case cases[] = {
      {Ccitt, "123456789", 0xD64E},
      {Crc16, "123456789", 0xBB3D},
      {Ccitt, std::string(1, '\0'), 0x1E0F},
      {Crc16, std::string(1, '\0'), 0x0000},
      {Ccitt, "\xFF", 0x00FF},
      {Crc16, "\xFF", 0x4040},
      {Ccitt, "", 0x0000},
      {Crc16, "", 0x0000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.crc, Crc(c.code, c.bytes, false)) << "reference, code " << c.code;
    EXPECT_EQ(c.crc, Crc(c.code, c.bytes, true)) << "table form, code " << c.code;
  }
}

TEST(CrcAlgorithms, CcittRegisterBeforeComplementIsIbm3740Value) {
  // 0x29B1: published check value of CRC-16/IBM-3740 (initial 0xFFFF, no final XOR).
  CrcState state;
  ASSERT_TRUE(SelectAlgorithm(Ccitt, &state));
  EXPECT_EQ(0x29B1u, CcittUpdateBitwise(state.crcRegister, Bytes("123456789"), 9));
  EXPECT_EQ(0x29B1u, CcittUpdate(state.crcRegister, Bytes("123456789"), 9));
}

// Codes that name no algorithm.
const CrcAlgorithm kUnknown = static_cast<CrcAlgorithm>(2);
const CrcAlgorithm kNegative = static_cast<CrcAlgorithm>(-1);

TEST(CrcAlgorithms, SelectAlgorithmSetsInitialRegisterOrRefusesUnknownCodes) {
  struct Case {
    CrcAlgorithm code;
    bool ok;
    uint32_t crcRegister;
  };
  const Case cases[] = {{Ccitt, true, 0xFFFF},
                        {Crc16, true, 0},
                        {kUnknown, false, 0x1234},
                        {kNegative, false, 0x1234}};
  const CrcAlgorithm kBefore = static_cast<CrcAlgorithm>(7);
  for (const Case& c : cases) {
    CrcState state{kBefore, 0x1234};
    EXPECT_EQ(c.ok, SelectAlgorithm(c.code, &state)) << c.code;
    EXPECT_EQ(c.crcRegister, state.crcRegister) << c.code;
    EXPECT_EQ(c.ok ? c.code : kBefore, state.algorithm) << c.code;
  }
}

TEST(CrcAlgorithms, TakeResultComplementsOnlyCcittAndRefusesUnknownCodes) {
  struct Case {
    CrcAlgorithm code;
    uint32_t crcRegister;
    bool ok;
    uint32_t crc;
  };
  const Case cases[] = {
      {Ccitt, 0x29B1, true, 0xD64E},   {Crc16, 0xBB3D, true, 0xBB3D},
      {Ccitt, 0, true, 0xFFFF},        {Crc16, 0, true, 0},
      {kUnknown, 0x1234, false, 0x55}, {kNegative, 0x1234, false, 0x55},
  };
  for (const Case& c : cases) {
    uint32_t crc = 0x55;
    EXPECT_EQ(c.ok, TakeResult(CrcState{c.code, c.crcRegister}, &crc)) << c.code;
    EXPECT_EQ(c.crc, crc) << c.code;
  }
}

TEST(CrcAlgorithms, TableFormEqualsReferenceOnRandomData) {
  ExpectSameAsBitwise(CcittUpdate, Crc16Update,
                      {0, 1, 7, 8, 9, 15, 16, 17, 65534, 65535, 65536, 65537}, 20261207);
}

TEST(CrcAlgorithms, UpdatesInPiecesEqualOnePass) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(65537);
  for (uint8_t& b : bytes) {
    b = static_cast<uint8_t>(random());
  }
  for (CrcAlgorithm code : {Crc16, Ccitt}) {
    CrcState whole;
    CrcState pieces;
    ASSERT_TRUE(SelectAlgorithm(code, &whole));
    ASSERT_TRUE(SelectAlgorithm(code, &pieces));
    UpdateCrc(&whole, bytes.data(), bytes.size());
    size_t done = 0;
    for (size_t piece : {size_t{3}, size_t{65531}, size_t{1}, size_t{2}}) {
      UpdateCrc(&pieces, bytes.data() + done, piece);
      done += piece;
    }
    ASSERT_EQ(bytes.size(), done);
    EXPECT_EQ(whole.crcRegister, pieces.crcRegister) << code;
  }
}

}  // namespace
}  // namespace sumwright
