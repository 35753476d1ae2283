// SPDX-License-Identifier: MIT
// The input scan: reads the input in chunks and turns every line into a placed record.
#include "input/input_scan.h"

#include <cstring>
#include <new>

#include "base/interrupt.h"
#include "base/messages.h"
#include "input/intel_hex_reader.h"
#include "input/line_splitter.h"
#include "input/s_record_reader.h"

namespace sumwright {

namespace {

// Bytes read at a time. A chunk and its records stay in the processor's caches while the CRC and
// the writer go over them.
constexpr size_t kChunkSize = size_t{256} << 10;
// The smallest chunk, for a small input.
constexpr size_t kLeastChunkSize = size_t{4} << 10;

void Fail(InputScan* scan, const char* format) {
  Message(format, scan->name.c_str());
  scan->failed = true;
}

// The batches are read by another thread while the scan goes on: the scan reads into
// kScanBuffers buffers in turn. A small input gets chunks of its size (and at least
// kLeastChunkSize bytes): a run over a few hundred bytes need not allocate and touch a megabyte.
// An input that grew since it was opened is still read whole, in more chunks.
void AllocateBuffers(InputScan* scan) {
  uint64_t expected = ExpectedSourceSize(*scan->source);
  scan->chunkSize = expected < kLeastChunkSize ? kLeastChunkSize
                    : expected < kChunkSize    ? static_cast<size_t>(expected)
                                               : kChunkSize;
  for (std::unique_ptr<char[]>& buffer : scan->buffers) {
    buffer.reset(new (std::nothrow) char[scan->chunkSize + kCarryRoom]);
    if (buffer == nullptr) {
      ReportInternalError(kInputScan);
    }
  }
  scan->current = 0;
  scan->buffer = scan->buffers[0].get();
  scan->handedOut = false;
}

// Moves the unscanned bytes to the front of the buffer and reads more behind them. False on a
// read error; sourceEnded is set when nothing more comes.
bool Refill(InputScan* scan) {
  char* buffer = scan->buffer;
  size_t carried = scan->dataEnd - scan->scanStart;
  if (scan->handedOut) {
    // The records of the last batch point into this buffer: read into the next one.
    scan->current = (scan->current + 1) % kScanBuffers;
    char* next = scan->buffers[scan->current].get();
    std::memcpy(next, buffer + scan->scanStart, carried);
    buffer = scan->buffer = next;
    scan->handedOut = false;
  } else {
    std::memmove(buffer, buffer + scan->scanStart, carried);
    scan->handedOut = false;
  }
  scan->bufferOffset += scan->scanStart;
  scan->scanStart = 0;
  scan->dataEnd = carried;
  size_t room = scan->chunkSize + kCarryRoom - carried;
  size_t got = 0;
  if (!ReadSource(scan->source, buffer + carried, room, &got)) {
    return false;
  }
  scan->dataEnd = carried + got;
  if (got == 0) {
    scan->sourceEnded = true;
  }
  return true;
}

// Reads the line [text, text + length) into the batch; placing it follows the code field's split.
// False when the line is refused.
bool ReadLine(InputScan* scan, const char* text, size_t length, ScanBatch* batch) {
  CodePlacement placement;
  // Read straight into the list: a record put together elsewhere and copied in is read back
  // before its small field writes have landed, which stalls the processor on every line.
  if (scan->format == IntelHex) {
    IntelHexLine& line = batch->intelHexLines.emplace_back();
    if (!ReadIntelHexLine(text, length, &scan->addressState, &line) ||
        !PlaceIntelHexLine(&line, &scan->codeField)) {
      batch->intelHexLines.pop_back();
      return false;
    }
    placement = line.placement;
  } else {
    SRecordLine& line = batch->sRecordLines.emplace_back();
    if (!ReadSRecordLine(text, length, &line) || !PlaceSRecordLine(&line, &scan->codeField)) {
      batch->sRecordLines.pop_back();
      return false;
    }
    placement = line.placement;
  }
  batch->placements |= PlacementBit(placement);
  return true;
}

// Inside an over-long line of blanks: drops its bytes as they come. False when the line shows
// that it is no blank line after all.
bool DropLongBlankLine(InputScan* scan) {
  const char* position = scan->buffer + scan->scanStart;
  BlankSkip skip = SkipLongBlankLine(&position, scan->buffer + scan->dataEnd, scan->sourceEnded);
  scan->scanStart = static_cast<size_t>(position - scan->buffer);
  scan->inLongBlankLine = skip == BlankSkip::NeedMore;
  return skip != BlankSkip::NotBlank;
}

// Scans the complete lines of the buffer (and the last line at the end of the input).
// False when the scan failed.
bool ScanLines(InputScan* scan, ScanBatch* batch) {
  char* buffer = scan->buffer;
  const char* const dataEnd = buffer + scan->dataEnd;
  const char* position = buffer + scan->scanStart;
  batch->begin = position;
  batch->fileOffset = scan->bufferOffset + scan->scanStart;
  batch->plain = true;
  SplitLine line;
  while (NextLine(position, dataEnd, scan->sourceEnded, &line)) {
    if (scan->firstLine) {
      // The first line starts with ":" or "S", so it is never blank.
      if (line.carriageReturn && line.lineFeed) {
        scan->lineEnd = "\r\n";
      }
      scan->firstLine = false;
    } else if (IsBlankText(line.text, line.length)) {
      batch->plain = false;
      position = line.next;
      continue;
    }
    if (!line.lineFeed || line.carriageReturn != (scan->lineEnd[0] == '\r')) {
      batch->plain = false;
    }
    if (line.length > kMaxLineLength) {
      Fail(scan, kL3304InvalidFileFormat);
      return false;
    }
    if (!ReadLine(scan, line.text, line.length, batch)) {
      scan->failed = true;
      return false;
    }
    position = line.next;
  }
  batch->end = position;
  batch->lineEnd = scan->lineEnd;
  scan->scanStart = static_cast<size_t>(position - buffer);
  const char* keep = nullptr;
  switch (CheckOpenLine(position, dataEnd, &keep)) {
    case OpenLine::Fits:
      break;
    case OpenLine::LongBlank:
      scan->inLongBlankLine = true;
      scan->scanStart = static_cast<size_t>(keep - buffer);
      break;
    case OpenLine::TooLong:
      Fail(scan, kL3304InvalidFileFormat);
      return false;
  }
  return true;
}

}  // namespace

bool OpenInputScan(ByteSource* source, const std::string& name, uint32_t codeAddress,
                   InputScan* scan) {
  scan->source = source;
  scan->name = name;
  scan->codeField.crcCodeAddress = codeAddress;
  AllocateBuffers(scan);
  // A pipe may hand out its first bytes in several pieces; one is enough here.
  while (!scan->sourceEnded && scan->dataEnd == 0) {
    PollInterrupt();
    if (!Refill(scan)) {
      Fail(scan, kL3300CannotOpenFile);
      return false;
    }
  }
  // Only the first character decides the form; a lower-case "s" is not an S-record.
  char first = scan->dataEnd == 0 ? '\0' : scan->buffer[0];
  if (first != ':' && first != 'S') {
    Fail(scan, kL3304InvalidFileFormat);
    return false;
  }
  scan->format = first == ':' ? IntelHex : SRecord;
  return true;
}

bool ScanInput(InputScan* scan, ScanBatch* batch) {
  batch->intelHexLines.clear();
  batch->sRecordLines.clear();
  batch->begin = batch->end = nullptr;
  batch->plain = true;
  batch->placements = 0;
  while (!scan->failed) {
    PollInterrupt();
    bool haveLines = scan->scanStart != scan->dataEnd;
    if (!haveLines && scan->sourceEnded) {
      return false;
    }
    if (scan->inLongBlankLine && !DropLongBlankLine(scan)) {
      Fail(scan, kL3304InvalidFileFormat);
      return false;
    }
    if (!scan->inLongBlankLine && haveLines) {
      if (!ScanLines(scan, batch)) {
        return false;
      }
      if (!batch->intelHexLines.empty() || !batch->sRecordLines.empty()) {
        scan->handedOut = true;
        return true;
      }
    }
    if (scan->sourceEnded) {
      continue;
    }
    if (!Refill(scan)) {
      Fail(scan, kL3300CannotOpenFile);
      return false;
    }
  }
  return false;
}

bool FinishInputScan(InputScan* scan) {
  if (scan->failed) {
    return false;
  }
  // The first byte of the code field ends a record, but no later record begins with the second.
  if (scan->codeField.split == CodeSplit::Open) {
    Message(kL3315InvalidCodeLocation);
    return false;
  }
  return true;
}

}  // namespace sumwright
