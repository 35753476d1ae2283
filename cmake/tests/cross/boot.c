/* A firmware program for the cross toolchain: its boot code reaches sumwright_crc.h through the
 * target sumwright::crc. Exit status 0 when the header gives CRC-16/GENIBUS's published check
 * value over "123456789". */
#include <sumwright_crc.h>

int main(void) {
  const char digits[] = "123456789";
  uint16_t crc = sumwright_genibus_init();
  crc = sumwright_genibus_update(crc, digits, sizeof digits - 1);
  return sumwright_genibus_final(crc) == 0xD64E ? 0 : 1;
}
