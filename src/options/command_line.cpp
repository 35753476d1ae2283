// Placeholder until this unit is written.
#include "options/command_line.h"
namespace sumwright {
bool ParseCommandLine(int, char**, OptionState*) { return false; }
}  // namespace sumwright
