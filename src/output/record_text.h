// The digit texts both writers share: the CRC digits, record checksums and patched code bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/crc_request.h"
#include "input/record_lines.h"

namespace sumwright {

// The low 16 bits of `crcValue` as four upper-case hexadecimal digits (no NUL), high byte first
// for BigEndian and with the two bytes swapped for LittleEndian. The first pair always belongs
// to the byte at the code address, the second pair to the byte after it.
void CrcDigits(uint32_t crcValue, ByteOrder byteOrder, char digits[4]);

// The two upper-case checksum digits of a record text given from its first count digit to its
// end, with the checksum position holding "00" so that it adds nothing. Bytes are summed pair by
// pair from the start; the sum stops at a pair whose first character is not a hexadecimal digit
// (nothing of it is added) or right after the first digit of a pair whose second character is
// not one (that first digit's share stays). Intel HEX takes the two's complement of the sum,
// S-records the one's complement; the low 8 bits are returned.
void ChecksumDigits(FileFormat format, const char* text, size_t length, char digits[2]);

// Overwrites the digits of the code bytes that a data record holds in its data digits `data`
// (two digits per byte, the first pair for the byte at `start`): both bytes for Within, the byte
// at `codeAddress` for SplitFirst, the byte at codeAddress + 1 for SplitSecond, taken from the
// four `crcDigits`. False, and `data` unchanged, for any other placement, or when a code byte
// would lie below `start` or beyond the data digits.
bool PatchCrcDigits(CodePlacement placement, uint32_t start, uint32_t codeAddress,
                    const char crcDigits[4], char* data, size_t length);

// Writes the low 2 * `count` hexadecimal digits of `value`, upper case, to `digits` (no NUL).
void HexDigits(uint32_t value, int count, char* digits);

}  // namespace sumwright
