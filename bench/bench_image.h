// Large generated inputs shared by the benchmarks.
#pragma once

#include <cstdint>
#include <string>

namespace sumwright {

constexpr uint32_t kBenchImageSize = 16u << 20;

// Appends one Intel HEX record with its checksum and `lineEnd`.
void AppendIntelHexRecord(std::string* out, uint32_t offset, uint32_t type, const uint8_t* data,
                          uint32_t count, const char* lineEnd);

// A 16 MiB image of random bytes (from `seed`) as Intel HEX: 16-byte records, an extended linear
// address record every 64 KiB, an end-of-file record; about 46 MB of text. `descending` writes the
// 64 KiB blocks from the highest down, so that the records do not ascend.
std::string LargeIntelHexText(uint32_t seed, const char* lineEnd, bool descending);

// Writes `text` to the named file in the temporary directory and returns its path; aborts when
// it cannot.
std::string WriteTempFile(const char* name, const std::string& text);

}  // namespace sumwright
