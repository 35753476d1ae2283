// The S-record writer: a header record built from the output name, then the records copied,
// the code field patched, or a CRC record inserted.
#pragma once

#include <string>

#include "input/hex_file.h"
#include "output/writer_state.h"

namespace sumwright {

// Handles the S-record under the cursor. The first call writes the generated header first, in
// place of an S0 first record (any other first record is kept and handled like the rest). When
// some record holds a code byte, every such record is written with the CRC digits of the bytes
// it holds and every other record is copied; otherwise the CRC record (S1, S2 or S3 by the code
// address, or a pair of one-byte records where the field straddles 0xFFFF/0x10000 or
// 0xFFFFFF/0x1000000) goes in front of the first record placed After. True while a record
// remains; false also when a record holding a code byte cannot be read or patched.
bool SRecordStep(const HexFile& hexFile, WriterState* state);

// The header record for an output name: S0, count 0E, address 0000, the first 8 characters of
// the file-name part up to its first "." and the first 3 after the next ".", as hex digits of
// their bytes, spaces (20) where nothing is written, and the checksum. 32 characters, no NUL.
void BuildSRecordHeader(const std::string& outputName, char header[32]);

// Writes the header record built from the output name.
void WriteSRecordHeader(WriterState* state);

// Writes the record text unchanged.
void CopySRecord(const SRecordLine& line, WriterState* state);

// Writes the CRC record for a code field that no record holds.
void InsertSRecordCrc(WriterState* state);

// Writes the two one-byte CRC records of a code field at 0xFFFF or 0xFFFFFF.
void WriteSplitCrcRecords(WriterState* state);

// Writes the record with the CRC digits of the code bytes it holds and a new checksum. False,
// with nothing written, when its address or data cannot be read or patched.
bool WritePatchedSRecord(const SRecordLine& line, WriterState* state);

}  // namespace sumwright
