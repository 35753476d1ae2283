// Placeholder until this unit is written.
#include "input/code_placement.h"
namespace sumwright {
uint32_t CrcCodeAddress = 0;
bool CodeSplitSeen = false;
}  // namespace sumwright
