// Data bytes decoded straight from the hexadecimal digits of a record's text.
#include "crc/record_bytes.h"

#include <cstring>

#include "base/hex_value.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define SUMWRIGHT_DECODE_SSE2 1
#endif

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>
#define SUMWRIGHT_DECODE_AVX2 1
#endif

namespace sumwright {

namespace {

// Digit values for the high and the low half of a byte; every other character maps to 0xFF, so
// OR-ing the two halves gives the byte, or 0xFF when either character is not a digit.
struct PairHalfTables {
  uint8_t high[256];
  uint8_t low[256];
};

constexpr PairHalfTables MakePairHalfTables() {
  PairHalfTables tables{};
  for (int c = 0; c < 256; ++c) {
    int value = kHexDigitValue[static_cast<char>(c)];
    tables.high[c] = static_cast<uint8_t>(value < 0 ? 0xFF : value << 4);
    tables.low[c] = static_cast<uint8_t>(value < 0 ? 0xFF : value);
  }
  return tables;
}

constexpr PairHalfTables kPairHalves = MakePairHalfTables();

void DecodePairs(const unsigned char* text, size_t count, uint8_t* bytes) {
  for (size_t i = 0; i < count; ++i) {
    bytes[i] =
        static_cast<uint8_t>(kPairHalves.high[text[2 * i]] | kPairHalves.low[text[2 * i + 1]]);
  }
}

#if defined(SUMWRIGHT_DECODE_SSE2)
// Sixteen digits to eight bytes, each in the low half of a 16-bit lane. False when one of the
// characters is not a hexadecimal digit.
inline bool DecodeGroupSse2(const unsigned char* text, __m128i* lanes) {
  __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  // Unsigned: a digit is 0-9 above '0'; OR-ing 0x20 maps only A-F and a-f onto a-f, 0-5
  // above 'a'.
  __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
  __m128i folded = _mm_or_si128(c, _mm_set1_epi8(0x20));
  __m128i letter = _mm_sub_epi8(folded, _mm_set1_epi8('a'));
  __m128i isDigit = _mm_cmpeq_epi8(_mm_subs_epu8(digit, _mm_set1_epi8(9)), _mm_setzero_si128());
  __m128i isLetter = _mm_cmpeq_epi8(_mm_subs_epu8(letter, _mm_set1_epi8(5)), _mm_setzero_si128());
  // A digit's letter value wraps above 0xD8 and a letter's digit value is above 0x10, so the
  // smaller of the two is the digit value.
  __m128i value = _mm_min_epu8(digit, _mm_add_epi8(letter, _mm_set1_epi8(10)));
  // Each 16-bit lane holds one pair: high digit in its low byte, low digit in its high byte.
  *lanes = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(value, 4), _mm_srli_epi16(value, 8)),
                         _mm_set1_epi16(0x00FF));
  return _mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) == 0xFFFF;
}

// Thirty-two and sixteen digits at a time, with the same result as DecodePairs, which takes the
// groups that hold another character than a hexadecimal digit. Returns the number of bytes
// done: all but the last count % 8.
size_t DecodePairsSse2(const unsigned char* text, size_t count, uint8_t* bytes) {
  size_t done = 0;
  for (; done + 16 <= count; done += 16) {
    __m128i first;
    __m128i second;
    bool firstOk = DecodeGroupSse2(text + 2 * done, &first);
    bool secondOk = DecodeGroupSse2(text + 2 * done + 16, &second);
    if (firstOk && secondOk) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + done), _mm_packus_epi16(first, second));
    } else {
      DecodePairs(text + 2 * done, 16, bytes + done);
    }
  }
  if (done + 8 <= count) {
    __m128i lanes;
    if (DecodeGroupSse2(text + 2 * done, &lanes)) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes + done), _mm_packus_epi16(lanes, lanes));
    } else {
      DecodePairs(text + 2 * done, 8, bytes + done);
    }
    done += 8;
  }
  return done;
}
#endif

#if defined(SUMWRIGHT_DECODE_AVX2)
// Thirty-two digits to sixteen bytes in one register, on processors that have AVX2. False when
// one of the characters is not a hexadecimal digit; nothing is stored then.
__attribute__((target("avx2"))) inline bool DecodeGroupAvx2(const unsigned char* text,
                                                            uint8_t* bytes) {
  __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
  // As in DecodeGroupSse2: the smaller of the digit and the letter reading is the value.
  __m256i digit = _mm256_sub_epi8(c, _mm256_set1_epi8('0'));
  __m256i letter =
      _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
  __m256i isDigit =
      _mm256_cmpeq_epi8(_mm256_subs_epu8(digit, _mm256_set1_epi8(9)), _mm256_setzero_si256());
  __m256i isLetter =
      _mm256_cmpeq_epi8(_mm256_subs_epu8(letter, _mm256_set1_epi8(5)), _mm256_setzero_si256());
  if (_mm256_movemask_epi8(_mm256_or_si256(isDigit, isLetter)) != -1) {
    return false;
  }
  __m256i value = _mm256_min_epu8(digit, _mm256_add_epi8(letter, _mm256_set1_epi8(10)));
  // Each pair to 16 * high + low in a 16-bit lane, then the lanes' low bytes side by side.
  __m256i pairs = _mm256_maddubs_epi16(value, _mm256_set1_epi16(0x0110));
  __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(pairs, pairs), 0x08);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), _mm256_castsi256_si128(packed));
  return true;
}

bool Avx2Available() {
  static const bool available = __builtin_cpu_supports("avx2") != 0;
  return available;
}

// Sixteen bytes at a time; returns the number of bytes done, all but the last count % 16.
__attribute__((target("avx2"))) size_t DecodePairsAvx2(const unsigned char* text, size_t count,
                                                       uint8_t* bytes) {
  size_t done = 0;
  for (; done + 16 <= count; done += 16) {
    if (!DecodeGroupAvx2(text + 2 * done, bytes + done)) {
      DecodePairs(text + 2 * done, 16, bytes + done);
    }
  }
  return done;
}
#endif

}  // namespace

void DecodeDataBytes(const char* digits, size_t digitCount, size_t count, uint8_t* bytes) {
  size_t whole = digitCount / 2 < count ? digitCount / 2 : count;
  const auto* text = reinterpret_cast<const unsigned char*>(digits);
  size_t done = 0;
#if defined(SUMWRIGHT_DECODE_AVX2)
  if (Avx2Available()) {
    done = DecodePairsAvx2(text, whole, bytes);
  }
#endif
#if defined(SUMWRIGHT_DECODE_SSE2)
  done += DecodePairsSse2(text + 2 * done, whole - done, bytes + done);
#endif
  DecodePairs(text + 2 * done, whole - done, bytes + done);
  // Bytes whose digits are missing read like erased flash.
  if (count > whole) {
    std::memset(bytes + whole, 0xFF, count - whole);
  }
}

}  // namespace sumwright
