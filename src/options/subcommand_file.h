// SPDX-License-Identifier: MIT
// Subcommand files: further option tokens, one per line.
#pragma once

#include <string>

#include "options/option_state.h"

namespace sumwright {

// Appends a copy of `text` at the end of state->tokens.
void AppendToken(const std::string& text, OptionState* state);

// Reads the file named after the first "=" of `token` into the token list, one token per line.
// A UTF-8 byte order mark at the start of the file belongs to no line. On Windows the text is
// UTF-8 when it starts with that mark or is valid UTF-8, and in the ANSI code page otherwise.
// False after L2010 (no file name) or after L2003 for lines naming a subcommand file; on true
// counts the file in subcommandCount. Throws OptionAbort after L3300 when the file cannot be
// opened. Ends the process with internal error (0, 429) when the file holds more than 16 MiB or
// more than 65536 lines, or when memory runs out while it is read.
bool ReadSubcommandFile(const std::string& token, OptionState* state);

}  // namespace sumwright
