// The Intel HEX writer: copies the records, patches the code field or inserts a CRC record with
// the extended address records it needs.
#pragma once

#include <cstdint>

#include "input/input_scan.h"
#include "output/output_writer.h"

namespace sumwright {

// Writes the Intel HEX records of one scanned chunk, in file order. When some record of the file
// holds a code byte, every such record is written with the CRC digits of the bytes it holds and
// every other record is copied. Otherwise the CRC record goes in front of the first record
// placed After, with extended address records where the code address needs them (an input
// record equal to one of those is not written twice) and, where a later data record depends on
// it, one that restores the input's extended address; records before it are copied and their
// extended address records followed.
void WriteIntelHexRecords(const ScanBatch& batch, OutputWriter* writer);

// At the end of the input: no data record follows the CRC records any more.
void FinishIntelHexRecords(OutputWriter* writer);

// True when an extended address record must be written before a record at `address`; updates
// the output address state (and linearRecordIssued) to the one that record selects.
// The page value is address >> 16 under linear addressing, otherwise the segment value of the
// 64 KB page, (address >> 4) & 0xFFFF000. Nothing is needed when it is 0 or not above the value
// in effect, except that a segment value other than the page's own is always replaced. A
// segment base that cannot reach past the first megabyte turns into a linear one; at most one
// linear record is ever added.
bool NeedsAddressRecord(uint32_t address, OutputWriter* writer);

}  // namespace sumwright
