// SPDX-License-Identifier: MIT
// The input scan: reads the input in chunks and turns every line into a placed record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/byte_source.h"
#include "input/code_placement.h"
#include "input/intel_hex_format.h"
#include "input/record_lines.h"

namespace sumwright {

// The records of one chunk of the input, in file order. Their texts point into [begin, end),
// the chunk bytes that hold the lines with their line ends, and stay valid until the next
// ScanInput call.
struct ScanBatch {
  const char* begin = nullptr;
  const char* end = nullptr;
  uint64_t fileOffset = 0;  // where `begin` lies in the input
  // The line end of the input's first line ("\n" or "\r\n"); every written line ends with it.
  const char* lineEnd = "\n";
  // True when the lines follow each other with nothing skipped between them, each ended by the
  // first line's line end: [begin, end) then holds their texts and line ends and nothing else.
  bool plain = true;
  // Bit 1 << p is set for every placement p among the records.
  unsigned placements = 0;
  // The records of the input's format; the other list stays empty.
  std::vector<IntelHexLine> intelHexLines;
  std::vector<SRecordLine> sRecordLines;
};

// The scan reads into this many buffers in turn, so that the records of a batch stay valid while
// this many less one further batches are scanned.
constexpr size_t kScanBuffers = 4;

struct InputScan {
  ByteSource* source = nullptr;
  std::string name;  // the input's name, for messages
  FileFormat format = NoFormat;
  const char* lineEnd = "\n";  // the first line's line end
  CodeField codeField;
  ExtendedAddressState addressState;
  bool failed = false;

  // The chunk: bytes [scanStart, dataEnd) of `buffer` are read and not yet scanned;
  // buffer[0] lies at bufferOffset in the input; it is buffers[current]. Each buffer holds
  // chunkSize bytes and the room for a line carried over from the chunk before.
  std::unique_ptr<char[]> buffers[kScanBuffers];
  size_t chunkSize = 0;
  size_t current = 0;
  char* buffer = nullptr;
  bool handedOut = false;  // `buffer` holds the records of the last batch
  size_t scanStart = 0;
  size_t dataEnd = 0;
  uint64_t bufferOffset = 0;
  bool sourceEnded = false;
  bool firstLine = true;
  // Inside a line of blanks too long to keep: its bytes are dropped as they come.
  bool inLongBlankLine = false;
};

// Starts the scan of `source`, whose name `name` messages show, for the code field at
// `codeAddress`: reads the first chunk and takes the form of the input from its first character,
// ":" for Intel HEX and "S" for S-records. False after L3304 (empty input or another first
// character) or L3300 (the input cannot be read).
bool OpenInputScan(ByteSource* source, const std::string& name, uint32_t codeAddress,
                   InputScan* scan);

// Scans the next chunk into *batch. The records of earlier batches stay valid while fewer than
// kScanBuffers batches have been scanned after them, so that another thread may still read them.
// Blank lines are skipped; a line ends at a line feed, a carriage return before it belonging to the
// line end, or at the end of the input (where a last carriage return is a line end too). False at
// the end of the input, and when the scan failed: after L3304 for a line of more than 522
// characters, after L3300 when the input cannot be read, or after the line reader's message (if
// any) for a refused line.
bool ScanInput(InputScan* scan, ScanBatch* batch);

// True when the whole input was scanned and accepted. False when ScanInput failed, or after
// L3315 when a record ended at the code address and no later record began at the next one.
bool FinishInputScan(InputScan* scan);

}  // namespace sumwright
