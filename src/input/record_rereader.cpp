// SPDX-License-Identifier: MIT
// The input read a second time, after the scan accepted it: its records in file order.
#include "input/record_rereader.h"

#include <cstring>
#include <new>

#include "base/interrupt.h"
#include "base/messages.h"
#include "input/intel_hex_reader.h"
#include "input/line_splitter.h"
#include "input/s_record_reader.h"

namespace sumwright {

namespace {

// Bytes read at a time, behind the carry room for the start of a line.
constexpr size_t kReadSize = size_t{64} << 10;

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

// The next line that is not blank, without its line end: the lines the scan took, in order, split
// by the same rules.
bool NextLineText(RecordRereader* reader, const char** text, size_t* length) {
  for (;;) {
    char* buffer = reader->buffer.get();
    const char* position = buffer + reader->scanStart;
    const char* end = buffer + reader->dataEnd;
    if (reader->inLongBlankLine) {
      BlankSkip skip = SkipLongBlankLine(&position, end, reader->sourceEnded);
      reader->scanStart = static_cast<size_t>(position - buffer);
      if (skip == BlankSkip::NotBlank) {
        return Changed(reader);
      }
      reader->inLongBlankLine = skip == BlankSkip::NeedMore;
      if (reader->inLongBlankLine && !Refill(reader)) {
        return Changed(reader);
      }
      continue;
    }
    SplitLine line;
    if (NextLine(position, end, reader->sourceEnded, &line)) {
      reader->scanStart = static_cast<size_t>(line.next - buffer);
      if (!IsBlankText(line.text, line.length)) {
        *text = line.text;
        *length = line.length;
        return true;
      }
      continue;
    }
    if (position == end && reader->sourceEnded) {
      return false;  // the end of the input
    }
    // The line goes on past what was read.
    const char* keep = nullptr;
    switch (CheckOpenLine(position, end, &keep)) {
      case OpenLine::Fits:
        break;
      case OpenLine::LongBlank:
        reader->inLongBlankLine = true;
        reader->scanStart = static_cast<size_t>(keep - buffer);
        break;
      case OpenLine::TooLong:
        return Changed(reader);
    }
    if (!Refill(reader)) {
      return Changed(reader);
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
