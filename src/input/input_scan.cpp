// SPDX-License-Identifier: MIT
// The input scan: reads the input in chunks and turns every line into a placed record.
#include "input/input_scan.h"

#include <cstring>
#include <new>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define SUMWRIGHT_SCAN_SSE2 1
#endif

#include "base/interrupt.h"
#include "base/messages.h"
#include "input/intel_hex_reader.h"
#include "input/s_record_reader.h"

namespace sumwright {

namespace {

// Bytes read at a time. A chunk and its records stay in the processor's caches while the CRC and
// the writer go over them.
constexpr size_t kChunkSize = size_t{256} << 10;
// The smallest chunk, for a small input.
constexpr size_t kLeastChunkSize = size_t{4} << 10;

// Room for the unscanned start of a line carried over to the next chunk: a longest line and the
// carriage return of its line end.
constexpr size_t kCarryRoom = kMaxLineLength + 1;

// The first line feed in [position, end), or null. Records are short lines: the first
// sixty-four bytes are looked at in place, which is cheaper than starting a general search.
inline const char* FindLineFeed(const char* position, const char* end) {
#if defined(SUMWRIGHT_SCAN_SSE2)
  if (end - position >= 64) {
    const __m128i lineFeed = _mm_set1_epi8('\n');
    uint64_t found = 0;
    for (int i = 0; i < 4; ++i) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(position + 16 * i));
      found |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)))}
               << (16 * i);
    }
    if (found != 0) {
      return position + __builtin_ctzll(found);
    }
    position += 64;
  }
#endif
  return static_cast<const char*>(std::memchr(position, '\n', static_cast<size_t>(end - position)));
}

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

// Reads the line [text, text + length) into the batch and follows the code field's split.
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
  if (placement == CodePlacement::SplitFirst) {
    scan->pending = true;
  } else if (placement == CodePlacement::SplitSecond) {
    scan->pending = false;
  }
  return true;
}

// Inside an over-long line of blanks: drops blanks up to the line feed that ends the line.
// Returns false when a character other than a blank (or the carriage return of the line end)
// shows that the line is no blank line after all.
bool SkipLongBlankLine(InputScan* scan) {
  const char* buffer = scan->buffer;
  size_t position = scan->scanStart;
  while (position < scan->dataEnd) {
    char c = buffer[position];
    if (c == '\n') {
      scan->inLongBlankLine = false;
      scan->scanStart = position + 1;
      return true;
    }
    if (c == '\r') {
      // Part of the line end only right before the line feed, or as the input's last byte.
      if (position + 1 == scan->dataEnd) {
        break;
      }
      if (buffer[position + 1] != '\n') {
        return false;
      }
    } else if (!IsBlank(c)) {
      return false;
    }
    ++position;
  }
  if (scan->sourceEnded) {
    scan->inLongBlankLine = false;
    position = scan->dataEnd;
  }
  scan->scanStart = position;
  return true;
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
  while (position != dataEnd) {
    const char* lineFeed = FindLineFeed(position, dataEnd);
    const char* textEnd = dataEnd;
    const char* next = dataEnd;
    if (lineFeed != nullptr) {
      textEnd = lineFeed;
      next = lineFeed + 1;
    } else if (!scan->sourceEnded) {
      break;
    }
    // Without a line feed this is the input's last line; a last carriage return ends it too.
    bool carriageReturn = textEnd != position && textEnd[-1] == '\r';
    if (carriageReturn) {
      --textEnd;
    }
    size_t length = static_cast<size_t>(textEnd - position);
    if (scan->firstLine) {
      // The first line starts with ":" or "S", so it is never blank.
      if (carriageReturn && lineFeed != nullptr) {
        scan->lineEnd = "\r\n";
      }
      scan->firstLine = false;
    } else if (IsBlankText(position, length)) {
      batch->plain = false;
      position = next;
      continue;
    }
    if (lineFeed == nullptr || carriageReturn != (scan->lineEnd[0] == '\r')) {
      batch->plain = false;
    }
    if (length > kMaxLineLength) {
      Fail(scan, kL3304InvalidFileFormat);
      return false;
    }
    if (!ReadLine(scan, position, length, batch)) {
      scan->failed = true;
      return false;
    }
    position = next;
  }
  batch->end = position;
  batch->lineEnd = scan->lineEnd;
  scan->scanStart = static_cast<size_t>(position - buffer);
  // A line still without its line feed must fit the carry room: 522 characters and a carriage
  // return. A longer one is refused now, unless it is nothing but blanks so far.
  size_t open = scan->dataEnd - scan->scanStart;
  if (open > kCarryRoom || (open == kCarryRoom && buffer[scan->dataEnd - 1] != '\r')) {
    size_t blankEnd = buffer[scan->dataEnd - 1] == '\r' ? scan->dataEnd - 1 : scan->dataEnd;
    if (scan->firstLine || !IsBlankText(position, blankEnd - scan->scanStart)) {
      Fail(scan, kL3304InvalidFileFormat);
      return false;
    }
    scan->inLongBlankLine = true;
    scan->scanStart = blankEnd;
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
    if (scan->inLongBlankLine && !SkipLongBlankLine(scan)) {
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
  if (scan->pending) {
    Message(kL3315InvalidCodeLocation);
    return false;
  }
  return true;
}

}  // namespace sumwright
