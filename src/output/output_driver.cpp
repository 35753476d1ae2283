// Placeholder until this unit is written.
#include "input/hex_file.h"
namespace sumwright {
bool HexFile::WriteOutput(const std::string&, uint32_t, ByteOrder) { return false; }
}  // namespace sumwright
