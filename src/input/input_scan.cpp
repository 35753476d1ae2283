// Placeholder until this unit is written.
#include "input/hex_file.h"
namespace sumwright {
bool HexFile::ScanInput(const std::string&) { return false; }
}  // namespace sumwright
