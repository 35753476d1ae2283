// A stand-in for a firmware program, built with the host compiler. At start-up a real one would
// compute CRC-16/GENIBUS over its flash (0x0000 to 0x7FFD, erased bytes reading 0xFF) and compare
// it with the two bytes at 0x7FFE, which the build put there.
#include <cstdint>
#include <cstdio>

namespace {

// CRC-16/GENIBUS: polynomial 0x1021, initial value 0xFFFF, not reflected, result complemented.
std::uint16_t Genibus(const unsigned char* bytes, std::size_t count) {
  std::uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < count; ++i) {
    crc = static_cast<std::uint16_t>(crc ^ (bytes[i] << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return static_cast<std::uint16_t>(~crc);
}

}  // namespace

int main() {
  const unsigned char check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  std::printf("boot check self-test: %04X (expected D64E)\n", Genibus(check, sizeof check));
  return Genibus(check, sizeof check) == 0xD64E ? 0 : 1;
}
