// The two CRC-16 algorithms by carry-less multiplication, on processors that offer it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sumwright {

// True when this program and this processor can run the carry-less multiply forms (x86 with
// PCLMULQDQ and SSSE3, built by GCC or Clang); checked once.
bool ClmulAvailable();

// The register after `count` bytes from `crcRegister`, identical to CcittUpdate and Crc16Update.
// Sixteen bytes at a time are folded into a 128-bit remainder, four such remainders side by
// side; the rest goes through the table forms. Call only when ClmulAvailable() is true.
uint32_t CcittUpdateClmul(uint32_t crcRegister, const uint8_t* bytes, size_t count);
uint32_t Crc16UpdateClmul(uint32_t crcRegister, const uint8_t* bytes, size_t count);

}  // namespace sumwright
