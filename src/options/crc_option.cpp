// Placeholder until this unit is written.
#include "options/crc_option.h"
namespace sumwright {
bool ParseRangeList(OptionState*) { return false; }
bool CheckRanges(OptionState*) { return false; }
}  // namespace sumwright
