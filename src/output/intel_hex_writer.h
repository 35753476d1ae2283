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

}  // namespace sumwright
