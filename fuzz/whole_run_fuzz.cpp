// Fuzzes a whole run on one generated input file: options, scan, CRC and output, as the
// program runs them. Input: one flag byte, the code address (4 bytes), per range a start
// (4 bytes) and a length (3 bytes), then the text of the input file.
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "fuzz_support.h"

namespace {

uint32_t TakeBytes(const uint8_t** data, size_t* size, size_t count) {
  uint32_t value = 0;
  for (size_t i = 0; i<count&& * size> 0; ++i) {
    value = (value << 8) | **data;
    ++*data;
    --*size;
  }
  return value;
}

bool ReadFile(const std::string& name, std::string* text) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  char buffer[4096];
  size_t count = 0;
  text->clear();
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text->append(buffer, count);
  }
  std::fclose(file);
  return true;
}

// The names in the work directory other than "." and "..".
std::vector<std::string> DirectoryEntries() {
  std::vector<std::string> names;
  DIR* directory = opendir(sumwright::WorkDirectory().c_str());
  if (directory == nullptr) {
    std::abort();
  }
  while (dirent* entry = readdir(directory)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  }
  closedir(directory);
  return names;
}

// One run of the program with a fresh Application, as the entry function does it.
bool RunProgram(std::vector<std::string> arguments) {
  std::vector<char*> argv = sumwright::ArgumentVector(&arguments);
  auto application = std::make_unique<sumwright::Application>();
  sumwright::QuietStandardError quiet;
  return application->Run(static_cast<int>(argv.size() - 1), argv.data());
}

// The text after the first line: the S-record writer replaces the first line by its own header.
std::string AfterFirstLine(const std::string& text) {
  size_t lineFeed = text.find('\n');
  return lineFeed == std::string::npos ? std::string() : text.substr(lineFeed + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using sumwright::FuzzCheck;
  const std::string directory = sumwright::WorkDirectory();
  const std::string inputName = directory + "/in.hex";
  const std::string outputName = directory + "/out.hex";
  const std::string againName = directory + "/again.hex";
  std::remove(outputName.c_str());
  std::remove(againName.c_str());

  uint32_t flags = TakeBytes(&data, &size, 1);
  uint32_t code = TakeBytes(&data, &size, 4);
  char number[32];
  std::snprintf(number, sizeof number, "%X", code);
  std::string crcToken = std::string("-crc=") + number + "=";
  size_t rangeCount = 1 + ((flags >> 3) & 3);
  for (size_t i = 0; i < rangeCount; ++i) {
    uint32_t start = TakeBytes(&data, &size, 4);
    uint32_t length = TakeBytes(&data, &size, 3);
    uint64_t end = static_cast<uint64_t>(start) + length;
    if (end > 0xFFFFFFFFu) {
      end = 0xFFFFFFFFu;
    }
    std::snprintf(number, sizeof number, "%s%X-%X", i == 0 ? "" : ",", start,
                  static_cast<uint32_t>(end));
    crcToken += number;
  }
  if ((flags & 0x20) != 0) {
    crcToken = std::string("-crc=FFFFFFFE=0-FFFFFFFD");  // The widest request there is.
  }
  crcToken += (flags & 1) != 0 ? "/16" : "/CCITT";

  std::FILE* file = std::fopen(inputName.c_str(), "wb");
  if (file == nullptr) {
    std::abort();
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  std::vector<std::string> arguments = {inputName, crcToken, "-output=" + outputName};
  if ((flags & 2) != 0) {
    arguments.push_back("-endian=little");
  }
  bool completed = RunProgram(arguments);
  std::vector<std::string> entries = DirectoryEntries();
  // A failed run leaves no output file behind, not even a partial or temporary one.
  FuzzCheck(entries.size() == (completed ? 2u : 1u),
            "a run leaves its output file only when it completes, and no temporary file");
  if (!completed) {
    return 0;
  }
  std::string output;
  FuzzCheck(ReadFile(outputName, &output), "a completed run leaves its output file");

  // The output, run again with the same request, is rewritten with the same CRC: nothing but
  // the code field changed, and the code field lies outside every range. Not so when a line ends
  // in two or more carriage returns: one belongs to the line end, the output writes the line end
  // of the input's first line, and the rest become the record's last characters, so each run
  // takes one more off the record.
  if (std::string(reinterpret_cast<const char*>(data), size).find("\r\r") != std::string::npos) {
    return 0;
  }
  arguments[0] = outputName;
  arguments[2] = "-output=" + againName;
  FuzzCheck(RunProgram(arguments), "a run over its own output completes");
  std::string again;
  FuzzCheck(ReadFile(againName, &again), "the second run leaves its output file");
  if (output.size() > 0 && output[0] == 'S') {
    FuzzCheck(AfterFirstLine(again) == AfterFirstLine(output),
              "a run over its own output reproduces it (the CRC landed at the code address)");
  } else {
    FuzzCheck(again == output,
              "a run over its own output reproduces it (the CRC landed at the code address)");
  }
  return 0;
}
