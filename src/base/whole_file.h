// Reads a whole file into memory in one piece, in binary mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sumwright {

// The bytes of a whole file.
using ByteBuffer = std::vector<char>;

// Reads every byte of the named file into *bytes: a subcommand file, of at most `limit` bytes.
// False when the file cannot be opened or read, is a directory, or its name holds a NUL byte
// (which would open the file named by the part before it); nothing is printed here. False with
// *tooLarge set when it holds more than `limit` bytes, found before more than `limit` + 1 bytes
// are taken into memory (a device or pipe that never ends among them). Memory that cannot be had
// throws std::bad_alloc, with the file closed.
bool ReadWholeFile(const std::string& name, uint64_t limit, ByteBuffer* bytes, bool* tooLarge);

}  // namespace sumwright
