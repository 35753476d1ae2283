// Whether two file names name the same existing file.
#pragma once

#include <string>

namespace sumwright {

// True when both names name one existing file (the same inode on POSIX, the same volume and file
// index on Windows), however they are spelled. False when either does not exist.
bool NamesSameFile(const std::string& first, const std::string& second);

}  // namespace sumwright
