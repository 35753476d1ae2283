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

// Without -output: inputName with "_1" before the first "." of its file-name part. Throws
// OptionAbort after L3000 when there is no input name.
void DeriveOutputName(OptionState* state);

}  // namespace sumwright
