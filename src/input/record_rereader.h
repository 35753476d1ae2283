// The input read a second time, after the scan accepted it: its records in file order, neither
// placed nor checked against the code field, and nothing printed. The CRC of an input whose
// data records do not ascend reads it so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/byte_source.h"
#include "input/intel_hex_format.h"
#include "input/record_lines.h"

namespace sumwright {

struct RecordRereader {
  ByteSource* source = nullptr;
  ExtendedAddressState addressState;
  // Bytes [scanStart, dataEnd) of `buffer` are read and not yet handed out.
  std::unique_ptr<char[]> buffer;
  size_t scanStart = 0;
  size_t dataEnd = 0;
  uint64_t readPosition = 0;  // the input offset of the next byte to read
  bool sourceEnded = false;
  // Dropping the rest of a blank line too long to keep.
  bool inLongBlankLine = false;
  // A line no longer reads as it did in the scan, or the input could not be read again.
  bool failed = false;
};

// Starts reading `source`, which the scan read and accepted, again from its first byte up to the
// last byte the scan read. Ends the process with internal error (2, 44) when
// memory for its buffer cannot be had.
void StartRereading(ByteSource* source, RecordRereader* reader);

// Reads the next record into *line (its text valid until the next call), as the scan read it:
// blank lines are skipped, the Intel HEX extended address is followed. False at the end of the
// input; also, with `failed` set, when a line no longer reads as a record of that form or the
// input cannot be read. Polls for Ctrl+C.
bool NextRecord(RecordRereader* reader, IntelHexLine* line);
bool NextRecord(RecordRereader* reader, SRecordLine* line);

}  // namespace sumwright
