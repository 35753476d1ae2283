// The command line: usage text, option recognition, error counting and the final checks.
#pragma once

#include <string>

#include "base/byte_source.h"
#include "options/option_state.h"

namespace sumwright {

// Turns argv into state: subcommand files are spliced into the token list where they were
// named, each token is classified and handled, then the input is opened into *input (for the
// run, which reads it) and duplicates are warned about. Returns false when any option error was
// reported. A bare command shows how to use the program and exits 0 right there; a missing or
// unreadable input throws OptionAbort after L3000 or L3300.
bool ParseCommandLine(int argc, char** argv, OptionState* state, ByteSource* input);

// Without -output: inputName with "_1" before the first "." of its file-name part. Throws
// OptionAbort after L3000 when there is no input name.
void DeriveOutputName(OptionState* state);

}  // namespace sumwright
