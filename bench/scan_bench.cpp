// Benchmark of the input scan on a 16 MiB image written as Intel HEX with 16-byte records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "input/code_placement.h"
#include "input/hex_file.h"
#include "input/whole_file.h"

namespace sumwright {
namespace {

constexpr uint32_t kImageSize = 16u << 20;

// Appends one Intel HEX record with its checksum.
void AppendRecord(std::string* out, uint32_t offset, uint32_t type, const uint8_t* data,
                  uint32_t count) {
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
  *out += "\r\n";
}

// Writes the image once into a temporary file and returns its name.
const std::string& LargeIntelHexFile() {
  static const std::string name = [] {
    std::string path =
        (std::filesystem::temp_directory_path() / "sumwright_scan_bench.hex").string();
    std::mt19937 random(1);
    std::string text;
    text.reserve(48u << 20);
    uint8_t data[16];
    for (uint32_t address = 0; address < kImageSize; address += 16) {
      if ((address & 0xFFFF) == 0) {
        uint8_t upper[2] = {static_cast<uint8_t>(address >> 24),
                            static_cast<uint8_t>(address >> 16)};
        AppendRecord(&text, 0, 4, upper, 2);
      }
      for (uint8_t& byte : data) {
        byte = static_cast<uint8_t>(random());
      }
      AppendRecord(&text, address & 0xFFFF, 0, data, 16);
    }
    AppendRecord(&text, 0, 1, data, 0);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
        std::fclose(file) != 0) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      std::abort();
    }
    return path;
  }();
  return name;
}

void BM_ScanInput(benchmark::State& state) {
  const std::string& name = LargeIntelHexFile();
  ClearCodePlacement();
  // The code field sits inside the image, so one record is placed Within.
  CrcCodeAddress = 0x00800008;
  for (auto _ : state) {
    HexFile file;
    if (!file.ScanInput(name)) {
      state.SkipWithError("scan failed");
      break;
    }
    benchmark::DoNotOptimize(file.intelHexLines.data());
    state.counters["records"] = static_cast<double>(file.intelHexLines.size());
    state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(file.inputText.size()));
  }
}
BENCHMARK(BM_ScanInput)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The share of the scan that only brings the file into memory.
void BM_ReadWholeFile(benchmark::State& state) {
  const std::string& name = LargeIntelHexFile();
  for (auto _ : state) {
    std::vector<char> bytes;
    if (!ReadWholeFile(name, &bytes)) {
      state.SkipWithError("read failed");
      break;
    }
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace sumwright
