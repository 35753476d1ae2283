// The input scan: reads the input file once and turns every line into a placed record.
#include <cstring>
#include <new>

#include "base/interrupt.h"
#include "base/messages.h"
#include "input/code_placement.h"
#include "input/hex_file.h"
#include "input/intel_hex_reader.h"
#include "input/s_record_reader.h"
#include "base/whole_file.h"

namespace sumwright {

namespace {

// The longest record text a line may hold, without its line end.
constexpr size_t kMaxLineLength = 522;

bool IsBlankLine(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] != ' ' && text[i] != '\t') {
      return false;
    }
  }
  return true;
}

// Number of line feeds in the buffer: each record list is reserved once from it.
size_t CountLineFeeds(const ByteBuffer& bytes) {
  size_t count = 0;
  const char* position = bytes.data();
  const char* end = position + bytes.size();
  while (position != end) {
    PollInterrupt();
    const void* found = std::memchr(position, '\n', static_cast<size_t>(end - position));
    if (found == nullptr) {
      break;
    }
    ++count;
    position = static_cast<const char*>(found) + 1;
  }
  return count;
}

}  // namespace

bool HexFile::ScanInput(const std::string& name) {
  format = NoFormat;
  lineEnd = "\n";
  intelHexLines.clear();
  sRecordLines.clear();
  try {
    if (!ReadWholeFile(name, &inputText)) {
      Message(kL3300CannotOpenFile, name.c_str());
      return false;
    }
    // Only the first character decides the form; a lower-case "s" is not an S-record.
    if (inputText.empty() || (inputText[0] != ':' && inputText[0] != 'S')) {
      Message(kL3304InvalidFileFormat, name.c_str());
      return false;
    }
    FileFormat detected = inputText[0] == ':' ? IntelHex : SRecord;
    size_t lineCount = CountLineFeeds(inputText) + 1;
    if (detected == IntelHex) {
      intelHexLines.reserve(lineCount);
    } else {
      sRecordLines.reserve(lineCount);
    }
    format = detected;
  } catch (const std::bad_alloc&) {
    ReportInternalError(2, 44);
  }

  ExtendedAddressState addressState;
  bool pending = false;
  const char* position = inputText.data();
  const char* const bufferEnd = position + inputText.size();
  bool firstLine = true;
  while (position != bufferEnd) {
    PollInterrupt();
    const char* lineFeed = static_cast<const char*>(
        std::memchr(position, '\n', static_cast<size_t>(bufferEnd - position)));
    const char* textEnd = lineFeed != nullptr ? lineFeed : bufferEnd;
    const char* next = lineFeed != nullptr ? lineFeed + 1 : bufferEnd;
    // A carriage return before the line feed (or at the very end) belongs to the line end.
    bool carriageReturn = textEnd != position && textEnd[-1] == '\r';
    if (carriageReturn) {
      --textEnd;
    }
    size_t length = static_cast<size_t>(textEnd - position);
    if (firstLine) {
      // The first line starts with ":" or "S", so it is never blank.
      if (carriageReturn && lineFeed != nullptr) {
        lineEnd = "\r\n";
      }
      firstLine = false;
    } else if (IsBlankLine(position, length)) {
      position = next;
      continue;
    }
    // A longer line is refused whole: its pieces would be read as bogus records.
    if (length > kMaxLineLength) {
      Message(kL3304InvalidFileFormat, name.c_str());
      return false;
    }
    CodePlacement placement;
    if (format == IntelHex) {
      if (!ReadIntelHexLine(position, length, &addressState, &intelHexLines)) {
        return false;
      }
      placement = intelHexLines.back().placement;
    } else {
      if (!ReadSRecordLine(position, length, &sRecordLines)) {
        return false;
      }
      placement = sRecordLines.back().placement;
    }
    if (placement == SplitFirst) {
      pending = true;
    } else if (placement == SplitSecond) {
      pending = false;
    }
    position = next;
  }
  // The first byte of the code field ends a record, but no later record begins with the second.
  if (pending) {
    Message(kL3315InvalidCodeLocation);
    return false;
  }
  return true;
}

}  // namespace sumwright
