// Benchmark of the whole run, as the program does it, on a 16 MiB image written as Intel HEX with
// 16-byte records (about 46 MB), next to `cp` of the same file: the run should take at most
// three times as long as the copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "bench_image.h"

namespace sumwright {
namespace {

// The code field takes the last two bytes of the image; the range covers all others.
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
