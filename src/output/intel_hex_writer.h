// The Intel HEX writer: copies the records, patches the code field or inserts a CRC record with
// the extended address records it needs.
#pragma once

#include "input/input_scan.h"
#include "input/intel_hex_format.h"

namespace sumwright {

struct OutputWriter;

// The Intel HEX writer's own part of the output's state: the extended addresses in effect.
struct IntelHexWriter {
  // The base address a record written now would land under, and the base the input's own
  // records count on once the inserted records are behind them.
  ExtendedAddressState output;
  ExtendedAddressState input;
};

// Writes the Intel HEX records of one scanned chunk, in file order. When some record of the file
// holds a code byte, every such record is written with the CRC digits of the bytes it holds and
// every other record is copied. Otherwise the CRC record goes in front of the first record
// placed After, with extended address records where the code address needs them (an input
// record equal to one of those is not written twice) and, where a later data record depends on
// it, one that restores the input's extended address; records before it are copied and their
// extended address records followed.
void WriteIntelHexRecords(const ScanBatch& batch, OutputWriter* writer);

}  // namespace sumwright
