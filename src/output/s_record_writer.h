// SPDX-License-Identifier: MIT
// The S-record writer: a header record built from the output name, then the records copied,
// the code field patched, or a CRC record inserted.
#pragma once

#include <string>

#include "input/input_scan.h"

namespace sumwright {

struct OutputWriter;

// The S-record writer's own part of the output's state.
struct SRecordWriter {
  bool headerWritten = false;  // the generated header record stands first in the output
};

// Writes the S-records of one scanned chunk, in file order. Before the first record comes the
// generated header, in place of an S0 first record (any other first record is kept). When some
// record holds a code byte, every such record is written with the CRC digits of the bytes it
// holds and every other record is copied; otherwise the CRC record (S1, S2 or S3 by the code
// address, or a pair of one-byte records where the field straddles 0xFFFF/0x10000 or
// 0xFFFFFF/0x1000000) goes in front of the first record placed After.
void WriteSRecords(const ScanBatch& batch, OutputWriter* writer);

// The header record for an output name: S0, count 0E, address 0000, the first 8 characters of
// the file-name part up to its first "." and the first 3 after the next ".", as hex digits of
// their bytes, spaces (20) where nothing is written, and the checksum. 32 characters, no NUL.
// The bytes are the name's own (POSIX), or on Windows those of the ANSI code page, with "_" for
// each character that the code page lacks.
void BuildSRecordHeader(const std::string& outputName, char header[32]);

}  // namespace sumwright
