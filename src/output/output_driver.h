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
// second thread: failures are kept for OutputFailed.
void WriteRecords(const ScanBatch& batch, OutputWriter* writer);

// True when the output can no longer be completed: a write failed, memory ran out, or the
// writer met a state it cannot handle.
bool OutputFailed(const OutputWriter& writer);

// Removes what was written and ends the process with the internal error of that failure:
// (6, 83) for a failed write. Call from the main thread, when the writer is not running.
[[noreturn]] void ReportOutputFailure(OutputWriter* writer);

// Completes the output once the whole input was scanned: fills in the CRC digits in byteOrder
// (patched into the records that hold the code field, or in the records of their own) and
// renames the file over `name`. Prints L0500 after the rename and returns true. False after
// L3300 when the file could not be made or renamed, or silently when no record gives the code
// field a place; no output file is left behind then.
bool WriteOutput(uint32_t crcValue, ByteOrder byteOrder, OutputWriter* writer);

// Removes what was written: the input was refused.
void AbandonOutput(OutputWriter* writer);

}  // namespace sumwright
