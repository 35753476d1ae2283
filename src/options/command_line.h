// The command line: usage text, option recognition, error counting and the final checks.
#pragma once

#include <string>

#include "options/option_state.h"

namespace sumwright {

// Collects the arguments (reading subcommand files in place) into state->tokens, examines every
// token and runs the final checks. True when no option error was counted. With no argument
// prints the usage text and ends the process with status 0. Throws OptionAbort after L3000 or
// L3300 for the input file.
bool ParseCommandLine(int argc, char** argv, OptionState* state);

// -output=<file>: true when accepted (sets outputName, counts it); prints L2010 otherwise.
bool ParseOutputOption(const std::string& token, OptionState* state);

// -endian={big|little|BIG|LITTLE}: true when accepted; prints L2010 or L2011 otherwise.
bool ParseEndianOption(const std::string& token, OptionState* state);

// Without -output: inputName with "_1" before the first "." of its file-name part. Throws
// OptionAbort after L3000 when there is no input name.
void DeriveOutputName(OptionState* state);

// Opens the input file into state->input, where the input scan reads it. Throws OptionAbort
// after L3000 or L3300.
void CheckInputFile(OptionState* state);

// Prints L1007 for every option given twice or more (-crc, -output, -endian, -subcommand).
void ReportDuplicates(const OptionState& state);

}  // namespace sumwright
