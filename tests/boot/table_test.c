/* The table form of boot/sumwright_crc.h against its bytewise form: every register value with
 * every byte, and erased stretches of every length up to a few hundred bytes. */
#define SUMWRIGHT_DEFINE_GENIBUS_TABLE
#define SUMWRIGHT_DEFINE_ARC_TABLE
#include <stdio.h>

#include "sumwright_crc.h"

static int failures;

static void ExpectEqual(const char* what, unsigned long detail, unsigned got, unsigned expected) {
  if (got != expected && ++failures <= 10) {
    printf("%s %lX: table form gives %04X, expected %04X\n", what, detail, got, expected);
  }
}

int main(void) {
  unsigned long registerValue;
  uint32_t length;
  /* Published check values over the ASCII digits 1 to 9. */
  const char digits[] = "123456789";
  ExpectEqual(
      "CRC-16/GENIBUS check value", 9,
      sumwright_genibus_final(sumwright_genibus_update_table(sumwright_genibus_init(), digits, 9)),
      0xD64E);
  ExpectEqual("CRC-16/ARC check value", 9,
              sumwright_arc_final(sumwright_arc_update_table(sumwright_arc_init(), digits, 9)),
              0xBB3D);

  for (registerValue = 0; registerValue <= 0xFFFF; ++registerValue) {
    const uint16_t start = (uint16_t)registerValue;
    unsigned byteValue;
    for (byteValue = 0; byteValue <= 0xFF; ++byteValue) {
      const unsigned char byte = (unsigned char)byteValue;
      ExpectEqual("CRC-16/GENIBUS register/byte", registerValue << 8 | byteValue,
                  sumwright_genibus_update_table(start, &byte, 1),
                  sumwright_genibus_update(start, &byte, 1));
      ExpectEqual("CRC-16/ARC register/byte", registerValue << 8 | byteValue,
                  sumwright_arc_update_table(start, &byte, 1),
                  sumwright_arc_update(start, &byte, 1));
    }
  }

  for (length = 0; length <= 600; ++length) {
    ExpectEqual("CRC-16/GENIBUS erased length", length,
                sumwright_genibus_update_erased_table(0x1D0F, length),
                sumwright_genibus_update_erased(0x1D0F, length));
    ExpectEqual("CRC-16/ARC erased length", length,
                sumwright_arc_update_erased_table(0x1D0F, length),
                sumwright_arc_update_erased(0x1D0F, length));
  }
  if (failures != 0) {
    printf("%d differences\n", failures);
    return 1;
  }
  return 0;
}
