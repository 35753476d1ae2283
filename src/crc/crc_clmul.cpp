// The two CRC-16 algorithms by carry-less multiplication, on processors that offer it.
#include "crc/crc_clmul.h"

#include "crc/crc_algorithms.h"

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define SUMWRIGHT_CRC_CLMUL 1
#include <immintrin.h>
#endif

namespace sumwright {

#if defined(SUMWRIGHT_CRC_CLMUL)

namespace {

// x^k mod P for P = x^16 + `poly`, most-significant bit first.
constexpr uint64_t PowerMod(unsigned k, uint32_t poly) {
  uint32_t r = 1;
  for (unsigned i = 0; i < k; ++i) {
    r <<= 1;
    if ((r & 0x10000u) != 0) {
      r ^= 0x10000u | poly;
    }
  }
  return r;
}

// Multipliers that move a 128-bit remainder A = A1 x^64 + A0 on by one block (x^128) or by
// four blocks (x^512): A x^d = A1 (x^(d+64) mod P) + A0 (x^d mod P), a polynomial of fewer
// than 80 bits.
struct FoldConstants {
  uint64_t oneLow;
  uint64_t oneHigh;
  uint64_t fourLow;
  uint64_t fourHigh;
};

constexpr FoldConstants MakeFoldConstants(uint32_t poly) {
  return FoldConstants{PowerMod(128, poly), PowerMod(192, poly), PowerMod(512, poly),
                       PowerMod(576, poly)};
}

// "CCITT" is most-significant bit first with 0x1021; "16" is reflected 0x8005, which becomes
// most-significant bit first once every byte is bit-reversed.
constexpr FoldConstants kCcittFold = MakeFoldConstants(0x1021);
constexpr FoldConstants kCrc16Fold = MakeFoldConstants(0x8005);

#define SUMWRIGHT_CLMUL_TARGET __attribute__((target("pclmul,ssse3")))

// Memory order to polynomial order: the first byte holds the highest powers. With `reflected`
// the bits of every byte are reversed as well (least-significant bit first). Its own inverse.
SUMWRIGHT_CLMUL_TARGET inline __m128i ToPolynomial(__m128i block, bool reflected) {
  block =
      _mm_shuffle_epi8(block, _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
  if (reflected) {
    const __m128i nibble = _mm_set1_epi8(0x0F);
    // Reversed nibbles: for the low nibble moved up, and for the high nibble moved down.
    const __m128i reversedUp = _mm_set_epi8(
        static_cast<char>(0xF0), 0x70, static_cast<char>(0xB0), 0x30, static_cast<char>(0xD0), 0x50,
        static_cast<char>(0x90), 0x10, static_cast<char>(0xE0), 0x60, static_cast<char>(0xA0), 0x20,
        static_cast<char>(0xC0), 0x40, static_cast<char>(0x80), 0x00);
    const __m128i reversedDown = _mm_set_epi8(0x0F, 0x07, 0x0B, 0x03, 0x0D, 0x05, 0x09, 0x01, 0x0E,
                                              0x06, 0x0A, 0x02, 0x0C, 0x04, 0x08, 0x00);
    __m128i low = _mm_and_si128(block, nibble);
    __m128i high = _mm_and_si128(_mm_srli_epi16(block, 4), nibble);
    block = _mm_or_si128(_mm_shuffle_epi8(reversedUp, low), _mm_shuffle_epi8(reversedDown, high));
  }
  return block;
}

// A polynomial of fewer than 80 bits congruent to A x^d modulo P, with `multipliers` holding
// x^d mod P in its low half and x^(d+64) mod P in its high half.
SUMWRIGHT_CLMUL_TARGET inline __m128i Fold(__m128i remainder, __m128i multipliers) {
  return _mm_xor_si128(_mm_clmulepi64_si128(remainder, multipliers, 0x00),
                       _mm_clmulepi64_si128(remainder, multipliers, 0x11));
}

SUMWRIGHT_CLMUL_TARGET inline __m128i Load(const uint8_t* bytes, bool reflected) {
  return ToPolynomial(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)), reflected);
}

// The register after `count` bytes (at least 64). The register is the same as two bytes XOR-ed
// into the first two of the message; the blocks are folded into one remainder that the table
// form `finish`, from a zero register, then turns into the register for the whole run.
SUMWRIGHT_CLMUL_TARGET uint32_t FoldUpdate(uint32_t crcRegister, const uint8_t* bytes, size_t count,
                                           const FoldConstants& constants, bool reflected,
                                           uint32_t (*finish)(uint32_t, const uint8_t*, size_t)) {
  const __m128i byOne = _mm_set_epi64x(static_cast<long long>(constants.oneHigh),
                                       static_cast<long long>(constants.oneLow));
  const __m128i byFour = _mm_set_epi64x(static_cast<long long>(constants.fourHigh),
                                        static_cast<long long>(constants.fourLow));
  // First two bytes in memory order: "CCITT" takes the high register byte first, "16" the low.
  uint32_t r = crcRegister & 0xFFFFu;
  uint32_t firstBytes = reflected ? r : ((r >> 8) | (r << 8)) & 0xFFFFu;
  __m128i head = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)),
                               _mm_set_epi32(0, 0, 0, static_cast<int>(firstBytes)));
  __m128i lane0 = ToPolynomial(head, reflected);
  __m128i lane1 = Load(bytes + 16, reflected);
  __m128i lane2 = Load(bytes + 32, reflected);
  __m128i lane3 = Load(bytes + 48, reflected);
  size_t done = 64;
  for (; done + 64 <= count; done += 64) {
    lane0 = _mm_xor_si128(Fold(lane0, byFour), Load(bytes + done, reflected));
    lane1 = _mm_xor_si128(Fold(lane1, byFour), Load(bytes + done + 16, reflected));
    lane2 = _mm_xor_si128(Fold(lane2, byFour), Load(bytes + done + 32, reflected));
    lane3 = _mm_xor_si128(Fold(lane3, byFour), Load(bytes + done + 48, reflected));
  }
  __m128i remainder = _mm_xor_si128(Fold(lane0, byOne), lane1);
  remainder = _mm_xor_si128(Fold(remainder, byOne), lane2);
  remainder = _mm_xor_si128(Fold(remainder, byOne), lane3);
  for (; done + 16 <= count; done += 16) {
    remainder = _mm_xor_si128(Fold(remainder, byOne), Load(bytes + done, reflected));
  }
  uint8_t block[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(block), ToPolynomial(remainder, reflected));
  r = finish(0, block, sizeof block);
  return finish(r, bytes + done, count - done);
}

}  // namespace

bool ClmulAvailable() {
  static const bool available =
      __builtin_cpu_supports("pclmul") != 0 && __builtin_cpu_supports("ssse3") != 0;
  return available;
}

uint32_t CcittUpdateClmul(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  if (count < 64) {
    return CcittUpdate(crcRegister, bytes, count);
  }
  return FoldUpdate(crcRegister, bytes, count, kCcittFold, false, CcittUpdate);
}

uint32_t Crc16UpdateClmul(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  if (count < 64) {
    return Crc16Update(crcRegister, bytes, count);
  }
  return FoldUpdate(crcRegister, bytes, count, kCrc16Fold, true, Crc16Update);
}

#else

bool ClmulAvailable() {
  return false;
}

uint32_t CcittUpdateClmul(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  return CcittUpdate(crcRegister, bytes, count);
}

uint32_t Crc16UpdateClmul(uint32_t crcRegister, const uint8_t* bytes, size_t count) {
  return Crc16Update(crcRegister, bytes, count);
}

#endif

}  // namespace sumwright
