// Reads a whole file into memory in one piece, in binary mode.
#pragma once

#include <string>
#include <vector>

namespace sumwright {

// Reads every byte of the named file into *bytes. False when the file cannot be opened or read
// (nothing is printed here).
bool ReadWholeFile(const std::string& name, std::vector<char>* bytes);

}  // namespace sumwright
