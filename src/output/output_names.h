// The names the output stage gives meaning to: names of the process's own descriptors, the
// temporary file's name, and a path taken apart into its directory and last name.
#pragma once

#include <string>

namespace sumwright {

// True, with the descriptor's number in *descriptor, for /dev/stdin (0), /dev/stdout (1),
// /dev/stderr (2), /dev/fd/N and /proc/self/fd/N (N of 1 to 9 digits): names that stand for a
// descriptor the process already holds, whatever it is open on.
bool DescriptorName(const std::string& name, int* descriptor);

// The next temporary file name of this process: ".sumwright-<pid>-<serial>.tmp" in lower-case
// hexadecimal, serials counting from 1. It says whose the file is and that it may be deleted,
// and its length (under 50 characters) does not depend on the output name.
std::string TemporaryName();

// Splits `path` into its directory, up to and with its last separator ("/"; on Windows also "\"
// and the ":" of a drive), empty for the working directory, and its last name. False when there
// is no last name a file could be renamed to ("dir/", ".", "..").
bool SplitPath(const std::string& path, std::string* directory, std::string* fileName);

}  // namespace sumwright
