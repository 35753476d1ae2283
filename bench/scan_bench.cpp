// Benchmark of the input scan on a 16 MiB image written as Intel HEX with 16-byte records.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_image.h"
#include "input/code_placement.h"
#include "input/hex_file.h"
#include "base/whole_file.h"

namespace sumwright {
namespace {

// The image written once into a temporary file, with CR LF line ends.
const std::string& LargeIntelHexFile() {
  static const std::string name =
      WriteTempFile("sumwright_scan_bench.hex", LargeIntelHexText(1, "\r\n", false));
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
    ByteBuffer bytes;
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
