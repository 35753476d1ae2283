// Large generated inputs shared by the benchmarks.
#include "bench_image.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace sumwright {

void AppendIntelHexRecord(std::string* out, uint32_t offset, uint32_t type, const uint8_t* data,
                          uint32_t count, const char* lineEnd) {
  static const char kDigits[] = "0123456789ABCDEF";
  uint32_t sum = count + (offset >> 8) + (offset & 0xFF) + type;
  char head[16];
  std::snprintf(head, sizeof head, ":%02X%04X%02X", count, offset, type);
  *out += head;
  for (uint32_t i = 0; i < count; ++i) {
    *out += kDigits[data[i] >> 4];
    *out += kDigits[data[i] & 0xF];
    sum += data[i];
  }
  uint32_t checksum = (0x100 - (sum & 0xFF)) & 0xFF;
  *out += kDigits[checksum >> 4];
  *out += kDigits[checksum & 0xF];
  *out += lineEnd;
}

std::string LargeIntelHexText(uint32_t seed, const char* lineEnd, bool descending) {
  std::mt19937 random(seed);
  std::string text;
  text.reserve(48u << 20);
  uint8_t data[16];
  for (uint32_t block = 0; block < kBenchImageSize; block += 0x10000) {
    uint32_t base = descending ? kBenchImageSize - 0x10000 - block : block;
    uint8_t upper[2] = {static_cast<uint8_t>(base >> 24), static_cast<uint8_t>(base >> 16)};
    AppendIntelHexRecord(&text, 0, 4, upper, 2, lineEnd);
    for (uint32_t offset = 0; offset < 0x10000; offset += 16) {
      for (uint8_t& byte : data) {
        byte = static_cast<uint8_t>(random());
      }
      AppendIntelHexRecord(&text, offset, 0, data, 16, lineEnd);
    }
  }
  AppendIntelHexRecord(&text, 0, 1, data, 0, lineEnd);
  return text;
}

std::string WriteTempFile(const char* name, const std::string& text) {
  std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
      std::fclose(file) != 0) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
  return path;
}

}  // namespace sumwright
