// Benchmarks of the CRC walk: a range over the whole address space on a tiny image, and decoding
// plus CRC of a 16 MiB image written as Intel HEX with 16-byte records.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_image.h"
#include "crc/crc_engine.h"
#include "input/code_placement.h"
#include "input/hex_file.h"
#include "input/intel_hex_reader.h"

namespace sumwright {
namespace {

// Reads `text` (lines ending in "\n") into `file` the way the input scan does.
void ReadIntelHex(const std::string& text, HexFile* file) {
  ClearCodePlacement();
  CrcCodeAddress = 0xFFFFFFF0;
  file->format = IntelHex;
  file->inputText.assign(text.begin(), text.end());
  ExtendedAddressState state;
  const char* line = file->inputText.data();
  const char* end = line + file->inputText.size();
  while (line < end) {
    const char* lineEnd = line;
    while (*lineEnd != '\n') {
      ++lineEnd;
    }
    if (!ReadIntelHexLine(line, static_cast<size_t>(lineEnd - line), &state,
                          &file->intelHexLines)) {
      std::fprintf(stderr, "record refused\n");
      std::abort();
    }
    line = lineEnd + 1;
  }
}

// 16 MiB of random bytes in 16-byte records, an extended linear address record every 64 KiB;
// `descending` writes the 64 KiB blocks from the highest down, so the records do not ascend.
const HexFile& LargeImage(bool descending) {
  static HexFile images[2];
  HexFile& image = images[descending ? 1 : 0];
  if (image.format == NoFormat) {
    ReadIntelHex(LargeIntelHexText(1, "\n", descending), &image);
  }
  return image;
}

// Range 0-FFFFFFFD over a 4-byte image: almost every address is fed as 0xFF.
void BM_WholeAddressSpaceOnFourByteImage(benchmark::State& state) {
  HexFile file;
  ReadIntelHex(":04000000DEADBEEFC4\n:00000001FF\n", &file);
  std::vector<AddressRange> ranges = {{0, 0xFFFFFFFD}};
  for (auto _ : state) {
    CrcEngine engine;
    uint32_t crc = 0;
    if (!engine.Compute(Ccitt, file, ranges, &crc)) {
      state.SkipWithError("Compute failed");
    }
    benchmark::DoNotOptimize(crc);
  }
}
BENCHMARK(BM_WholeAddressSpaceOnFourByteImage)->Unit(benchmark::kMicrosecond);

// Decoding and CRC of every data byte of the 16 MiB image; bytes/s counts data bytes.
void BM_DecodeAndCrcOf16MiBImage(benchmark::State& state) {
  const HexFile& file = LargeImage(state.range(1) != 0);
  std::vector<AddressRange> ranges = {{0, kBenchImageSize - 1}};
  CrcAlgorithm algorithm = state.range(0) != 0 ? Ccitt : Crc16;
  for (auto _ : state) {
    CrcEngine engine;
    uint32_t crc = 0;
    if (!engine.Compute(algorithm, file, ranges, &crc)) {
      state.SkipWithError("Compute failed");
    }
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBenchImageSize);
}
// Arguments: algorithm (1 CCITT, 0 "16"), records out of ascending order (1) or not (0).
BENCHMARK(BM_DecodeAndCrcOf16MiBImage)
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sumwright
