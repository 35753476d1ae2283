// The command line: usage text, option recognition, error counting and the final checks.
#include "options/command_line.h"

#include <cstdio>

#include "base/file_io.h"
#include "base/interrupt.h"
#include "base/messages.h"
#include "base/process_exit.h"
#include "options/crc_option.h"
#include "options/find_text.h"
#include "options/same_file.h"
#include "options/subcommand_file.h"

namespace sumwright {

namespace {

bool Contains(const std::string& token, const char* name, size_t count) {
  size_t position = 0;
  return FindText(token, name, count, &position);
}

// -output=<file>: true when accepted (sets outputName, counts it); prints L2010 otherwise.
bool ParseOutputOption(const std::string& token, OptionState* state) {
  std::string name;
  if (!TextAfterEquals(token, &name)) {
    Message(kL2010RequiresParameter, "output");
    return false;
  }
  if (!UsableFileName(name)) {
    Message(kL2011InvalidParameter, "output", name.c_str());
    return false;
  }
  state->hasOutputName = true;
  state->outputName = name;
  ++state->outputCount;
  return true;
}

// -endian={big|little|BIG|LITTLE}: true when accepted; prints L2010 or L2011 otherwise.
bool ParseEndianOption(const std::string& token, OptionState* state) {
  std::string value;
  if (!TextAfterEquals(token, &value)) {
    Message(kL2010RequiresParameter, "endian");
    return false;
  }
  if (value == "BIG" || value == "big") {
    state->byteOrder = BigEndian;
  } else if (value == "LITTLE" || value == "little") {
    state->byteOrder = LittleEndian;
  } else {
    Message(kL2011InvalidParameter, "endian", value.c_str());
    return false;
  }
  ++state->endianCount;
  return true;
}

// Opens the input file into *input. Throws OptionAbort after L3000 or L3300.
void OpenInputFile(const OptionState& state, ByteSource* input) {
  if (!state.hasInputName) {
    Message(kL3000NoInputFile);
    throw OptionAbort{};
  }
  // A directory, which some systems open, and a name holding a NUL byte (the system would see
  // only the part before it) cannot be opened either.
  if (!OpenSourceFile(state.inputName, input)) {
    Message(kL3300CannotOpenFile, state.inputName.c_str());
    throw OptionAbort{};
  }
}

// Prints L1007 for every option given twice or more (-crc, -output, -endian, -subcommand).
void ReportDuplicates(const OptionState& state) {
  const struct {
    unsigned count;
    const char* name;
  } options[] = {{state.crcCount, "-crc"},
                 {state.outputCount, "-output"},
                 {state.endianCount, "-endian"},
                 {state.subcommandCount, "-subcommand"}};
  for (const auto& option : options) {
    if (option.count >= 2) {
      Message(kL1007DuplicationOption, option.name);
    }
  }
}

// Classifies one token by the leading characters of the option names, first hit wins, and
// handles it. False when an error was counted.
bool ExamineToken(const std::string& token, OptionState* state) {
  if (Contains(token, "-crc", 3)) {
    return ParseCrcOption(token, state);
  }
  if (Contains(token, "-output", 3)) {
    return ParseOutputOption(token, state);
  }
  if (Contains(token, "-endian", 2)) {
    return ParseEndianOption(token, state);
  }
  if (Contains(token, "-input", 2)) {
    Message(kL2002InputOption);
    return false;
  }
  if (Contains(token, "-", 1)) {
    Message(kL2000InvalidOption, token.c_str());
    return false;
  }
  // A later file name replaces an earlier one without a warning.
  state->hasInputName = true;
  state->inputName = token;
  return true;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, OptionState* state, ByteSource* input) {
  if (argc <= 0 || argv == nullptr) {
    return false;
  }
  if (argc == 1 || argv[1] == nullptr) {
    PrintUsage();
    EndProcess(0);
  }
  unsigned errors = 0;
  // Collection pass: a subcommand file's lines take the place of its option.
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    PollInterrupt();
    std::string argument = argv[i];
    if (Contains(argument, "-subcommand", 3)) {
      if (!ReadSubcommandFile(argument, state)) {
        ++errors;
      }
    } else {
      AppendToken(argument, state);
    }
  }
  // Examination pass: every token is examined, so that all option errors are reported.
  for (const std::string& token : state->tokens) {
    PollInterrupt();
    if (!ExamineToken(token, state)) {
      ++errors;
    }
  }
  if (state->outputCount == 0) {
    DeriveOutputName(state);
  }
  OpenInputFile(*state, input);
  // The input is never overwritten, whichever spelling of its name the output uses.
  if (state->outputName == state->inputName || NamesSameFile(state->outputName, state->inputName)) {
    Message(kL2011InvalidParameter, "output", state->outputName.c_str());
    ++errors;
  }
  ReportDuplicates(*state);
  if (state->crcCount == 0) {
    Message(kL2007CrcNotSpecified);
    ++errors;
  }
  return errors == 0;
}

void DeriveOutputName(OptionState* state) {
  if (!state->hasInputName) {
    Message(kL3000NoInputFile);
    throw OptionAbort{};
  }
  const std::string& input = state->inputName;
  // "_1" goes before the first "." of the file-name part, so a "." in a directory name
  // (./app.hex, v1.2/prog) is left alone.
  size_t separator = input.find_last_of("/\\");
  size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  size_t dot = input.find('.', nameStart);
  if (dot == std::string::npos) {
    state->outputName = input + "_1";
  } else {
    state->outputName = input.substr(0, dot) + "_1" + input.substr(dot);
  }
  state->hasOutputName = true;
}

}  // namespace sumwright
