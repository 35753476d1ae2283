// Fuzzes option processing: the command line, a subcommand file, the range list and its checks.
// Input: tokens separated by NUL bytes, then optionally a 0x01 byte and the text of the one
// subcommand file that -subcommand tokens may name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "options/command_line.h"
#include "options/crc_option.h"
#include "options/find_text.h"
#include "options/option_state.h"

namespace {

// A -subcommand token names the fuzzed file (or one that does not exist), never an arbitrary
// file of the machine such as an endless device.
std::string ConfineSubcommand(const std::string& token) {
  size_t position = 0;
  if (!sumwright::FindText(token, "-subcommand", 3, &position)) {
    return token;
  }
  size_t equals = token.find('=');
  if (equals == std::string::npos || equals + 1 >= token.size()) {
    return token;
  }
  bool missing = (static_cast<unsigned char>(token[equals + 1]) & 1) != 0;
  return token.substr(0, equals + 1) + sumwright::WorkDirectory() +
         (missing ? "/missing.txt" : "/sub.txt");
}

// An item made only of "-" characters ends the process with an internal error by design;
// such range texts are left out.
bool HasDashOnlyItem(const std::string& rangeText) {
  size_t start = 0;
  while (start <= rangeText.size()) {
    size_t comma = rangeText.find(',', start);
    size_t end = comma == std::string::npos ? rangeText.size() : comma;
    if (end > start && rangeText.find_first_not_of('-', start) >= end) {
      return true;
    }
    if (comma == std::string::npos) {
      break;
    }
    start = comma + 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sumwright;
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string fileText;
  size_t split = input.find('\x01');
  if (split != std::string::npos) {
    fileText = input.substr(split + 1);
    input.resize(split);
  }
  std::string subcommandPath = WorkDirectory() + "/sub.txt";
  std::FILE* file = std::fopen(subcommandPath.c_str(), "wb");
  if (file == nullptr) {
    std::abort();
  }
  std::fwrite(fileText.data(), 1, fileText.size(), file);
  std::fclose(file);

  std::vector<std::string> tokens;
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\0', start);
    if (end == std::string::npos) {
      end = input.size();
    }
    tokens.push_back(ConfineSubcommand(input.substr(start, end - start)));
    start = end + 1;
  }
  // The program name, then at least one argument: without one the usage text ends the process.
  std::vector<char*> argv = ArgumentVector(&tokens);

  OptionState state;
  ByteSource source;  // the input the options name, opened for the run
  QuietStandardError quiet;
  try {
    if (!ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data(), &state, &source)) {
      return 0;
    }
  } catch (const OptionAbort&) {
    return 0;
  }
  FuzzCheck(state.crcCount > 0 && state.hasRangeText && state.hasInputName,
            "accepted options name an input file and a -crc request");
  if (HasDashOnlyItem(state.rangeText)) {
    return 0;
  }
  if (ParseRangeList(&state) && CheckRanges(&state)) {
    // Checked ranges are sorted, disjoint, and hold neither code byte.
    uint32_t code = state.codeAddress;
    for (size_t i = 0; i < state.ranges.size(); ++i) {
      const AddressRange& range = state.ranges[i];
      FuzzCheck(range.start <= range.end, "a checked range does not run backwards");
      FuzzCheck(!(range.start <= code && code <= range.end), "no range holds the code address");
      FuzzCheck(!(range.start <= code + 1 && code + 1 <= range.end),
                "no range holds the second code byte");
      FuzzCheck(i == 0 || state.ranges[i - 1].end < range.start,
                "checked ranges are sorted and disjoint");
    }
  }
  return 0;
}
