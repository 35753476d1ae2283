// Benchmark of the output writer and of the whole run on a 16 MiB image written as Intel HEX
// with 16-byte records (about 46 MB), next to `cp` of the same file: the run should take at
// most three times as long as the copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/application.h"
#include "input/code_placement.h"
#include "input/hex_file.h"

namespace sumwright {
namespace {

constexpr uint32_t kImageSize = 16u << 20;
// The code field takes the last two bytes of the image; the range covers all others.
constexpr uint32_t kCodeAddress = kImageSize - 2;
constexpr char kCrcOption[] = "-crc=FFFFFE=0-FFFFFD";

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// Appends one Intel HEX record with its checksum and a line feed.
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
  *out += "\n";
}

// Writes the image once into a temporary file and returns its name.
const std::string& LargeIntelHexFile() {
  static const std::string name = [] {
    std::string path = TempPath("sumwright_write_bench.hex");
    std::mt19937 random(5);
    std::string text;
    text.reserve(47u << 20);
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

void BM_WriteOutput(benchmark::State& state) {
  const std::string& input = LargeIntelHexFile();
  std::string output = TempPath("sumwright_write_bench_out.hex");
  ClearCodePlacement();
  CrcCodeAddress = kCodeAddress;
  HexFile file;
  if (!file.ScanInput(input)) {
    state.SkipWithError("scan failed");
    return;
  }
  for (auto _ : state) {
    if (!file.WriteOutput(output, 0x1234, BigEndian)) {
      state.SkipWithError("write failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.inputText.size()));
  std::remove(output.c_str());
}
BENCHMARK(BM_WriteOutput)->Unit(benchmark::kMillisecond)->UseRealTime();

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
    ClearCodePlacement();
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
