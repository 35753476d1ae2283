// The digit texts both writers share: the CRC digits, record checksums and patched code bytes.
#include "output/record_text.h"

#include <utility>

#include "base/hex_value.h"

namespace sumwright {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";

}  // namespace

void HexDigits(uint32_t value, int count, char* digits) {
  for (int i = 2 * count - 1; i >= 0; --i) {
    digits[i] = kUpperDigits[value & 0xFu];
    value >>= 4;
  }
}

void CrcDigits(uint32_t crcValue, ByteOrder byteOrder, char digits[4]) {
  HexDigits(crcValue & 0xFFFFu, 2, digits);
  if (byteOrder == LittleEndian) {
    // Little byte order: the low byte's pair goes first.
    std::swap(digits[0], digits[2]);
    std::swap(digits[1], digits[3]);
  }
}

void ChecksumDigits(FileFormat format, const char* text, size_t length, char digits[2]) {
  uint32_t sum = 0;
  for (size_t position = 0; length - position >= 2; position += 2) {
    int high = kHexDigitValue[text[position]];
    if (high < 0) {
      break;
    }
    sum += 16u * static_cast<uint32_t>(high);
    int low = kHexDigitValue[text[position + 1]];
    if (low < 0) {
      break;
    }
    sum += static_cast<uint32_t>(low);
  }
  sum = ~sum;
  if (format == IntelHex) {
    sum += 1;
  }
  HexDigits(sum & 0xFFu, 1, digits);
}

bool PatchCrcDigits(CodePlacement placement, uint32_t start, uint32_t codeAddress,
                    const char crcDigits[4], char* data, size_t length) {
  uint32_t target = codeAddress;
  const char* kept = crcDigits;
  size_t keptLength = 4;
  switch (placement) {
    case CodePlacement::Within:
      break;
    case CodePlacement::SplitFirst:
      keptLength = 2;
      break;
    case CodePlacement::SplitSecond:
      target = codeAddress + 1;
      kept = crcDigits + 2;
      keptLength = 2;
      break;
    default:
      return false;
  }
  if (target < start) {
    return false;
  }
  // 64-bit, so that a far-off target cannot wrap into the data.
  uint64_t position = 2u * static_cast<uint64_t>(target - start);
  if (position + keptLength > length) {
    return false;
  }
  for (size_t i = 0; i < keptLength; ++i) {
    data[position + i] = kept[i];
  }
  return true;
}

}  // namespace sumwright
