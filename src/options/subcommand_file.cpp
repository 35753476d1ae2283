// Subcommand files: further option tokens, one per line.
#include "options/subcommand_file.h"

#include "base/interrupt.h"
#include "base/messages.h"
#include "base/whole_file.h"
#include "options/find_text.h"

namespace sumwright {

void AppendToken(const std::string& text, OptionState* state) {
  state->tokens.push_back(text);
}

bool ReadSubcommandFile(const std::string& token, OptionState* state) {
  size_t equals = 0;
  if (!FindText(token, "=", 1, false, &equals) || equals + 1 >= token.size()) {
    Message(kL2010RequiresParameter, "subcommand");
    return false;
  }
  // Everything after the first "=" is the name, further "=" characters included.
  std::string name = token.substr(equals + 1);
  ByteBuffer bytes;
  if (!ReadWholeFile(name, &bytes)) {
    Message(kL3300CannotOpenFile, name.c_str());
    throw OptionAbort{};
  }
  std::string contents(bytes.begin(), bytes.end());
  unsigned errors = 0;
  size_t lineStart = 0;
  while (lineStart < contents.size()) {
    PollInterrupt();
    size_t lineFeed = contents.find('\n', lineStart);
    size_t lineEnd = lineFeed == std::string::npos ? contents.size() : lineFeed;
    size_t nextLine = lineFeed == std::string::npos ? contents.size() : lineFeed + 1;
    // A line ends with LF or CR LF; any other CR, blank or tab belongs to the token.
    if (lineFeed != std::string::npos && lineEnd > lineStart && contents[lineEnd - 1] == '\r') {
      --lineEnd;
    }
    std::string line = contents.substr(lineStart, lineEnd - lineStart);
    size_t position = 0;
    if (FindText(line, "-subcommand", 3, false, &position)) {
      Message(kL2003SubcommandInFile);
      ++errors;
    }
    // Passed on even when refused, so that the line is examined like any other token.
    AppendToken(line, state);
    lineStart = nextLine;
  }
  if (errors != 0) {
    return false;
  }
  ++state->subcommandCount;
  return true;
}

}  // namespace sumwright
