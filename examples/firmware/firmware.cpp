// A stand-in for a firmware program, built with the host compiler, with the boot check a real
// boot loader runs before it starts the application: CRC-16/GENIBUS over the 32 KiB of flash
// from 0x0000 to 0x7FFD (erased bytes read 0xFF), compared with the two bytes at 0x7FFE, high
// byte first, which sumwright put there when the image was built.
//
//   firmware <image.bin>   loads a flat image (as objcopy -O binary writes it) into a flash of
//                          erased bytes and runs the boot check: status 0 when the image passes.
#include <cstdio>
#include <cstring>

#include "sumwright_crc.h"

namespace {

constexpr std::size_t kFlashSize = 0x8000;
constexpr std::size_t kCodeAddress = 0x7FFE;  // sumwright ... -crc=7FFE=0-7FFD

// The boot check as it runs on the target, `flash` being the start of flash memory.
bool ImageIsIntact(const unsigned char* flash, uint16_t* computed, uint16_t* stored) {
  uint16_t crc = sumwright_genibus_init();
  crc = sumwright_genibus_update(crc, flash, kCodeAddress);
  *computed = sumwright_genibus_final(crc);
  *stored = sumwright_read_crc_big(flash + kCodeAddress);
  return *computed == *stored;
}

}  // namespace

int main(int argc, char** argv) {
  static unsigned char flash[kFlashSize];
  std::memset(flash, 0xFF, sizeof flash);  // erased
  std::FILE* image = argc == 2 ? std::fopen(argv[1], "rb") : nullptr;
  if (image == nullptr) {
    std::fprintf(stderr, "usage: firmware <image.bin>\n");
    return 2;
  }
  std::fread(flash, 1, sizeof flash, image);
  std::fclose(image);
  uint16_t computed = 0;
  uint16_t stored = 0;
  const bool intact = ImageIsIntact(flash, &computed, &stored);
  std::printf("boot check: CRC %04X, stored %04X: %s\n", computed, stored,
              intact ? "starting the application" : "image refused");
  return intact ? 0 : 1;
}
