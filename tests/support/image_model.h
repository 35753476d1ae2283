// A byte image built in the tests, independent of the program: its records as Intel HEX or
// S-record text, and its CRC over address ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/crc_request.h"

namespace sumwright {

// A data record: its bytes from `start` on. A byte marked bad is written with a digit that is
// not hexadecimal and reads 0xFF.
struct ModelRecord {
  uint32_t start;
  std::vector<uint8_t> bytes;
  std::vector<bool> bad;
};

// The CRC of `algorithm` over every address of `ranges`: the byte of the first record in
// `records` that holds the address, 0xFF where none does; by the bitwise reference update.
uint32_t ModelCrc(CrcAlgorithm algorithm, const std::vector<ModelRecord>& records,
                  const std::vector<AddressRange>& ranges);

// A register update of one algorithm: the register after `count` bytes from `crcRegister`.
using CrcUpdate = uint32_t (*)(uint32_t crcRegister, const uint8_t* bytes, size_t count);

// Compares the updates `ccitt` and `crc16` with the bitwise reference updates over random bytes
// of each of `lengths` and of 40 random lengths up to 70,000, from random registers; fails the
// test at the first difference.
void ExpectSameAsBitwise(CrcUpdate ccitt, CrcUpdate crc16, std::vector<size_t> lengths,
                         unsigned seed);

// The lines, each followed by `lineEnd`.
std::string Lines(const std::vector<std::string>& lines, const std::string& lineEnd = "\n");

// Record texts with their checksums. Intel HEX: the byte count, `offset`, `type` and `bytes`.
// S-records: type 1, 2 or 3 by `type`, with a 2, 3 or 4-byte address.
std::string IntelHexRecord(uint32_t offset, uint8_t type, const std::vector<uint8_t>& bytes);
std::string SRecord3(const ModelRecord& record);
// The Intel HEX data record of `record` (load offset: its start's low 16 bits); bad bytes as
// "G" and a digit; checksum 00, as no reader checks it.
std::string IntelHexDataRecord(const ModelRecord& record);

// An input text being built, with what it holds.
struct ImageText {
  std::string text;
  std::vector<std::string> lines;    // record texts in file order, without line ends
  std::vector<ModelRecord> records;  // the data records, in file order
  uint32_t next = 0;                 // where the next data record starts
  uint32_t page = 0xFFFFFFFF;        // the extended linear address written last (none yet)
};

// Appends one record line, or a blank line when `line` holds blanks only.
void AppendLine(ImageText* image, const std::string& line, const std::string& lineEnd);

// Appends Intel HEX lines, exactly `length` bytes (at least 300) with their line ends: data
// records of random bytes ascending from image->next, each after an extended linear address
// record where its page differs from the one in effect, and where needed to come out at the
// exact length, one blank line of three bytes.
void AppendIntelHexData(ImageText* image, size_t length, const std::string& lineEnd,
                        std::mt19937* random);

}  // namespace sumwright
