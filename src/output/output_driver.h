// SPDX-License-Identifier: MIT
// The output stage: the records of the input with the CRC at the code field, written while the
// input is scanned and completed once the CRC is known.
#pragma once

#include <cstdint>
#include <string>

#include "base/crc_request.h"
#include "input/input_scan.h"
#include "output/output_writer.h"

namespace sumwright {

// Starts the output `name` of `format` (the input's) for the code field at `codeAddress`: makes
// its temporary file. When that is impossible, nothing is printed yet; WriteOutput reports it.
void OpenOutput(const std::string& name, FileFormat format, uint32_t codeAddress,
                OutputWriter* writer);

// Writes the records of one scanned chunk. Never ends the process, so that it may run on a
// second thread: a failure is kept in writer->failure, and nothing is written after it.
void WriteRecords(const ScanBatch& batch, OutputWriter* writer);

// When the writer met a failure that ends the process, removes what was written and ends it:
// internal error (6, 83) for a failed write (L3410 when Ctrl+C cut the write short), L4000 at
// the failure's place for an internal error. Returns otherwise. Call from the main thread once
// the writer has stopped and the scan has accepted the whole input, so that a fault of the
// input is reported first, as the run's order has it.
void EndOnOutputFailure(OutputWriter* writer);

// Completes the output once the whole input was scanned: fills in the CRC digits in byteOrder
// (patched into the records that hold the code field, or in the records of their own) and
// renames the file over the output name. Prints L0500 after the rename and returns true. False
// after L3300 with the output name when the file could not be made or renamed, L3300 with the
// directory for temporary files when a stream's scratch file could not be made, or silently when
// no record gives the code field a place or an S-record holding a code byte could not take it; no
// output file is left behind then. Ends the process as EndOnOutputFailure does.
bool WriteOutput(uint32_t crcValue, ByteOrder byteOrder, OutputWriter* writer);

// Removes what was written: the input was refused, or the CRC could not be computed.
void AbandonOutput(OutputWriter* writer);

}  // namespace sumwright
