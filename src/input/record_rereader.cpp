// The input read a second time, after the scan accepted it: its records in file order.
#include "input/record_rereader.h"

#include <cstring>
#include <new>

#include "base/interrupt.h"
#include "base/messages.h"
#include "input/intel_hex_reader.h"
#include "input/s_record_reader.h"

namespace sumwright {

namespace {

// Bytes read at a time, and room for the start of a line carried over to the next read: a
// longest line and the carriage return of its line end.
constexpr size_t kReadSize = size_t{64} << 10;
constexpr size_t kCarryRoom = kMaxLineLength + 1;

// Spaces, tabs and carriage returns only: what the scan skipped as a blank line too long to keep.
bool IsLongBlankPart(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (!IsBlank(text[i]) && text[i] != '\r') {
      return false;
    }
  }
  return true;
}

// Moves the unread bytes to the front of the buffer and reads more behind them.
bool Refill(RecordRereader* reader) {
  PollInterrupt();
  char* buffer = reader->buffer.get();
  size_t carried = reader->dataEnd - reader->scanStart;
  std::memmove(buffer, buffer + reader->scanStart, carried);
  reader->scanStart = 0;
  size_t got = 0;
  if (!ReadSourceAt(reader->source, reader->readPosition, buffer + carried,
                    kReadSize + kCarryRoom - carried, &got)) {
    return false;
  }
  reader->readPosition += got;
  reader->dataEnd = carried + got;
  reader->sourceEnded = got == 0;
  return true;
}

// A line that no longer reads as it did in the scan.
bool Changed(RecordRereader* reader) {
  reader->failed = true;
  return false;
}

// The next line that is not blank, without its line end: the lines the scan took, in order.
bool NextLineText(RecordRereader* reader, const char** text, size_t* length) {
  for (;;) {
    char* buffer = reader->buffer.get();
    const char* begin = buffer + reader->scanStart;
    const char* end = buffer + reader->dataEnd;
    const char* lineFeed =
        static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(end - begin)));
    if (lineFeed == nullptr && !reader->sourceEnded) {
      // The line goes on past what was read. One too long for a record was a blank line to the
      // scan: its bytes are dropped as they come.
      if (reader->inLongBlankLine || static_cast<size_t>(end - begin) > kCarryRoom) {
        if (!IsLongBlankPart(begin, static_cast<size_t>(end - begin))) {
          return Changed(reader);
        }
        reader->inLongBlankLine = true;
        reader->scanStart = reader->dataEnd;
      }
      if (!Refill(reader)) {
        return Changed(reader);
      }
      continue;
    }
    if (begin == end) {
      return false;  // the end of the input
    }
    // A whole line, ended by a line feed or by the end of the input.
    const char* textEnd = lineFeed != nullptr ? lineFeed : end;
    reader->scanStart = static_cast<size_t>((lineFeed != nullptr ? lineFeed + 1 : end) - buffer);
    if (reader->inLongBlankLine) {
      reader->inLongBlankLine = false;
      if (!IsLongBlankPart(begin, static_cast<size_t>(textEnd - begin))) {
        return Changed(reader);
      }
      continue;
    }
    // A carriage return before the line feed, or last in the input, belongs to the line end.
    if (textEnd != begin && textEnd[-1] == '\r') {
      --textEnd;
    }
    *text = begin;
    *length = static_cast<size_t>(textEnd - begin);
    if (!IsBlankText(begin, *length)) {
      return true;
    }
  }
}

}  // namespace

void StartRereading(ByteSource* source, RecordRereader* reader) {
  reader->source = source;
  reader->addressState = ExtendedAddressState{};
  if (reader->buffer == nullptr) {
    reader->buffer.reset(new (std::nothrow) char[kReadSize + kCarryRoom]);
    if (reader->buffer == nullptr) {
      ReportInternalError(kInputScan);
    }
  }
  reader->scanStart = 0;
  reader->dataEnd = 0;
  reader->readPosition = 0;
  reader->sourceEnded = false;
  reader->inLongBlankLine = false;
  reader->failed = false;
}

bool NextRecord(RecordRereader* reader, IntelHexLine* line) {
  const char* text = nullptr;
  size_t length = 0;
  if (reader->failed || !NextLineText(reader, &text, &length)) {
    return false;
  }
  return ReadIntelHexLine(text, length, &reader->addressState, line) || Changed(reader);
}

bool NextRecord(RecordRereader* reader, SRecordLine* line) {
  const char* text = nullptr;
  size_t length = 0;
  if (reader->failed || !NextLineText(reader, &text, &length)) {
    return false;
  }
  return ReadSRecordLine(text, length, line) || Changed(reader);
}

}  // namespace sumwright
