// Benchmarks of the scan feeding the CRC: a range over the whole address space on a tiny image,
// and a 16 MiB image written as Intel HEX with 16-byte records, its records ascending or not.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/byte_source.h"
#include "bench_image.h"
#include "crc/crc_engine.h"
#include "input/input_scan.h"

namespace sumwright {
namespace {

// Scans `text` and computes its CRC as a run does; false when a stage fails.
bool ScanAndCrc(const std::string& text, CrcAlgorithm algorithm,
                const std::vector<AddressRange>& ranges, uint32_t* crc) {
  ByteSource source;
  SourceFromText(text, &source);
  InputScan scan;
  CrcEngine engine;
  if (!OpenInputScan(&source, "image.hex", 0xFFFFFFF0, &scan) ||
      !StartCrc(algorithm, ranges, &engine)) {
    return false;
  }
  ScanBatch batch;
  while (ScanInput(&scan, &batch)) {
    FeedCrc(batch, &engine);
  }
  return FinishInputScan(&scan) && Compute(&engine, &source, scan.format, crc);
}

// 16 MiB of random bytes in 16-byte records, an extended linear address record every 64 KiB;
// `descending` writes the 64 KiB blocks from the highest down, so the records do not ascend.
const std::string& LargeImage(bool descending) {
  static const std::string texts[2] = {LargeIntelHexText(1, "\n", false),
                                       LargeIntelHexText(1, "\n", true)};
  return texts[descending ? 1 : 0];
}

// Range 0-FFFFFFFD over a 4-byte image: almost every address is fed as 0xFF.
void BM_WholeAddressSpaceOnFourByteImage(benchmark::State& state) {
  const std::string text = ":04000000DEADBEEFC4\n:00000001FF\n";
  std::vector<AddressRange> ranges = {{0, 0xFFFFFFFD}};
  for (auto _ : state) {
    uint32_t crc = 0;
    if (!ScanAndCrc(text, Ccitt, ranges, &crc)) {
      state.SkipWithError("CRC failed");
    }
    benchmark::DoNotOptimize(crc);
  }
}
BENCHMARK(BM_WholeAddressSpaceOnFourByteImage)->Unit(benchmark::kMicrosecond);

// The scan, decoding and CRC of every data byte of the 16 MiB image; bytes/s counts data bytes.
void BM_ScanAndCrcOf16MiBImage(benchmark::State& state) {
  const std::string& text = LargeImage(state.range(1) != 0);
  std::vector<AddressRange> ranges = {{0, kBenchImageSize - 1}};
  CrcAlgorithm algorithm = state.range(0) != 0 ? Ccitt : Crc16;
  for (auto _ : state) {
    uint32_t crc = 0;
    if (!ScanAndCrc(text, algorithm, ranges, &crc)) {
      state.SkipWithError("CRC failed");
    }
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBenchImageSize);
}
// Arguments: algorithm (1 CCITT, 0 "16"), records out of ascending order (1) or not (0).
BENCHMARK(BM_ScanAndCrcOf16MiBImage)
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sumwright
