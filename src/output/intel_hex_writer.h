// The Intel HEX writer: copies the records, patches the code field or inserts a CRC record with
// the extended address records it needs.
#pragma once

#include <cstdint>

#include "input/hex_file.h"
#include "output/writer_state.h"

namespace sumwright {

// Handles the Intel HEX record under the cursor. When some record of the file holds a code
// byte, every such record is written with the CRC digits of the bytes it holds and every other
// record is copied. Otherwise the CRC record (with extended address records where the code
// address needs them, and one restoring the input's extended address afterwards where a later
// data record depends on it) goes in front of the first record placed After; records before it
// are copied and their extended address records followed. True while a record remains.
bool IntelHexStep(const HexFile& hexFile, WriterState* state);

// Follows an extended address record (02 or 04) of the input in the output address state.
void TrackAddressRecord(const IntelHexLine& line, WriterState* state);

// Writes the record text unchanged.
void CopyRecord(const IntelHexLine& line, WriterState* state);

// Writes the record with the CRC digits of the code bytes it holds and a new checksum.
void WritePatchedRecord(const IntelHexLine& line, WriterState* state);

// Writes the CRC record(s) for a code field that no record holds, in front of the record under
// the cursor, with the extended address records that the code address needs.
void InsertCrcRecord(const HexFile& hexFile, WriterState* state);

// True when an extended address record must be written before a record at `address`; updates
// the output address state (and linearRecordIssued) to the one that record selects.
// The page value is address >> 16 under linear addressing, otherwise the segment value of the
// 64 KB page, (address >> 4) & 0xFFFF000. Nothing is needed when it is 0 or not above the value
// in effect, except that a segment value other than the page's own is always replaced. A
// segment base that cannot reach past the first megabyte turns into a linear one; at most one
// linear record is ever added.
bool NeedsAddressRecord(uint32_t address, WriterState* state);

// Writes the extended address record of the output address state; an identical input record
// under the cursor is then skipped, so that it is not written twice.
void WriteAddressRecord(const HexFile& hexFile, WriterState* state);

}  // namespace sumwright
