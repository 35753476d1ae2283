// Benchmark of the input scan on a 16 MiB image written as Intel HEX with 16-byte records:
// read from a file or from the text in memory, and the share of reading the file alone.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/byte_source.h"
#include "bench_image.h"
#include "input/input_scan.h"

namespace sumwright {
namespace {

// The image with CR LF line ends, kept in memory and written once into a temporary file.
const std::string& ScanBenchText() {
  static const std::string text = LargeIntelHexText(1, "\r\n", false);
  return text;
}

const std::string& LargeIntelHexFile() {
  static const std::string name = WriteTempFile("sumwright_scan_bench.hex", ScanBenchText());
  return name;
}

// Argument: 0 reads the file, 1 the text in memory.
void BM_ScanInput(benchmark::State& state) {
  const bool fromText = state.range(0) != 0;
  const std::string& name = LargeIntelHexFile();
  size_t records = 0;
  for (auto _ : state) {
    ByteSource source;
    if (fromText) {
      SourceFromText(ScanBenchText(), &source);
    } else if (!OpenSourceFile(name, &source)) {
      state.SkipWithError("cannot open the input");
      break;
    }
    // The code field sits inside the image, so one record is placed Within.
    InputScan scan;
    if (!OpenInputScan(&source, name, 0x00800008, &scan)) {
      state.SkipWithError("scan failed");
      break;
    }
    ScanBatch batch;
    records = 0;
    while (ScanInput(&scan, &batch)) {
      records += batch.intelHexLines.size();
      benchmark::DoNotOptimize(batch.intelHexLines.data());
    }
    if (!FinishInputScan(&scan)) {
      state.SkipWithError("scan failed");
      break;
    }
  }
  state.counters["records"] = static_cast<double>(records);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(ScanBenchText().size()));
}
BENCHMARK(BM_ScanInput)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The share of the scan that only brings the file into memory, in reads of the scan's size.
void BM_ReadSource(benchmark::State& state) {
  const std::string& name = LargeIntelHexFile();
  const size_t kReadSize = size_t{256} << 10;
  std::unique_ptr<char[]> buffer(new char[kReadSize]);
  for (auto _ : state) {
    ByteSource source;
    if (!OpenSourceFile(name, &source)) {
      state.SkipWithError("cannot open the input");
      break;
    }
    size_t got = 0;
    do {
      if (!ReadSource(&source, buffer.get(), kReadSize, &got)) {
        state.SkipWithError("read failed");
        break;
      }
      benchmark::DoNotOptimize(buffer.get());
    } while (got != 0);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(ScanBenchText().size()));
}
BENCHMARK(BM_ReadSource)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace sumwright
