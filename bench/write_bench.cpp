// Benchmark of the scan feeding the CRC and the output writer, and of the whole run, on a 16 MiB
// image written as Intel HEX with 16-byte records (about 46 MB), next to `cp` of the same file:
// the run should take at most three times as long as the copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "base/byte_source.h"
#include "bench_image.h"
#include "crc/crc_engine.h"
#include "input/input_scan.h"
#include "output/output_driver.h"

namespace sumwright {
namespace {

// The code field takes the last two bytes of the image; the range covers all others.
constexpr uint32_t kCodeAddress = kBenchImageSize - 2;
constexpr char kCrcOption[] = "-crc=FFFFFE=0-FFFFFD";

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// The image written once into a temporary file.
const std::string& LargeIntelHexFile() {
  static const std::string name =
      WriteTempFile("sumwright_write_bench.hex", LargeIntelHexText(5, "\n", false));
  return name;
}

// The stages of a run without the options: the input file read once, each chunk's records fed
// to the CRC and written, then the output completed.
void BM_ScanCrcAndWrite(benchmark::State& state) {
  const std::string& input = LargeIntelHexFile();
  std::string output = TempPath("sumwright_write_bench_out.hex");
  const std::vector<AddressRange> ranges = {{0, kCodeAddress - 1}};
  for (auto _ : state) {
    ByteSource source;
    InputScan scan;
    if (!OpenSourceFile(input, &source) || !OpenInputScan(&source, input, kCodeAddress, &scan)) {
      state.SkipWithError("cannot open the input");
      break;
    }
    CrcEngine crc;
    StartCrc(Ccitt, ranges, &crc);
    OutputWriter writer;
    OpenOutput(output, scan.format, kCodeAddress, &writer);
    ScanBatch batch;
    while (ScanInput(&scan, &batch)) {
      FeedCrc(batch, &crc);
      WriteRecords(batch, &writer);
    }
    uint32_t crcValue = 0;
    if (!FinishInputScan(&scan) || !Compute(&crc, &source, scan.format, &crcValue) ||
        !WriteOutput(crcValue, BigEndian, &writer)) {
      state.SkipWithError("run failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(input)));
  std::remove(output.c_str());
}
BENCHMARK(BM_ScanCrcAndWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// Options, scan, CRC and output, as one run of the program does them.
void BM_WholeRun(benchmark::State& state) {
  std::string input = LargeIntelHexFile();
  std::string output = "-output=" + TempPath("sumwright_write_bench_run.hex");
  std::vector<std::string> arguments = {"sumwright", input, kCrcOption, output};
  for (auto _ : state) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
      argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    auto application = std::make_unique<Application>();
    if (!application->Run(static_cast<int>(arguments.size()), argv.data())) {
      state.SkipWithError("run failed");
      break;
    }
  }
  std::remove(TempPath("sumwright_write_bench_run.hex").c_str());
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: `cp` of the same file.
void BM_CopyWithCp(benchmark::State& state) {
  const std::string& input = LargeIntelHexFile();
  std::string copy = TempPath("sumwright_write_bench_copy.hex");
  std::string command = "cp '" + input + "' '" + copy + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("cp failed");
      break;
    }
  }
  std::remove(copy.c_str());
}
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sumwright
