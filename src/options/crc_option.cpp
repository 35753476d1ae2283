// The -crc option: code address, range list and algorithm, and the checks of the range list.
#include "options/crc_option.h"

#include <algorithm>

#include "base/hex_value.h"
#include "base/interrupt.h"
#include "base/messages.h"
#include "options/find_text.h"

namespace sumwright {

namespace {

// The next piece of `text` from `*cursor` on: delimiter characters in front of it are skipped,
// and it ends before the next delimiter or at the end. On true, *cursor stands after the
// delimiter that ended the piece (or at the end). False when only delimiters are left.
bool NextPiece(const std::string& text, char delimiter, size_t* cursor, std::string* piece) {
  size_t start = *cursor;
  while (start < text.size() && text[start] == delimiter) {
    ++start;
  }
  if (start >= text.size()) {
    *cursor = text.size();
    return false;
  }
  size_t end = text.find(delimiter, start);
  if (end == std::string::npos) {
    *piece = text.substr(start);
    *cursor = text.size();
  } else {
    *piece = text.substr(start, end - start);
    *cursor = end + 1;
  }
  return true;
}

// True for a usable number; otherwise prints the message of `status` and returns false. A
// number of more than 8 digits gives L2013 naming the option `longName`; any other bad digit
// gives L2011 naming "crc". The code address and the range end give "-crc" as the long name,
// the range start gives "crc": users' scripts match these lines as they have always been.
bool AcceptNumber(HexStatus status, const std::string& text, const char* longName) {
  if (status == HexTooLong) {
    Message(kL2013InvalidAddressText, longName, text.c_str());
    return false;
  }
  if (status != HexOk) {
    Message(kL2011InvalidParameter, "crc", text.c_str());
    return false;
  }
  return true;
}

HexStatus TextValue(const std::string& text, uint32_t* value) {
  PollInterrupt();
  return HexValue(text.data(), text.size(), value);
}

// Appends the range of one item "<start>-<end>". False after its message.
bool ParseRange(const std::string& item, OptionState* state) {
  size_t cursor = 0;
  std::string startText;
  if (!NextPiece(item, '-', &cursor, &startText)) {
    // An item made only of "-" has no start text to copy.
    ReportInternalError(kTextAbsent);
  }
  uint32_t start = 0;
  if (!AcceptNumber(TextValue(startText, &start), startText, "crc")) {
    return false;
  }
  std::string endText;
  if (!NextPiece(item, '-', &cursor, &endText)) {
    Message(kL2012InvalidNumber, "crc", item.c_str());
    return false;
  }
  // Anything after a further "-" is ignored.
  uint32_t end = 0;
  if (!AcceptNumber(TextValue(endText, &end), endText, "-crc")) {
    return false;
  }
  PollInterrupt();
  state->ranges.push_back(AddressRange{start, end});
  return true;
}

// Stable sort of state->ranges by start. False when the list is empty.
bool SortRanges(OptionState* state) {
  if (state->ranges.empty()) {
    return false;
  }
  // Stable: ranges with the same start keep the order in which they were given. The callers
  // poll for Ctrl+C before and after the sort, never inside it: the comparator must not end the
  // process in the middle of the library's work.
  std::stable_sort(state->ranges.begin(), state->ranges.end(),
                   [](const AddressRange& first, const AddressRange& second) {
                     return first.start < second.start;
                   });
  return true;
}

}  // namespace

bool ParseCrcOption(const std::string& token, OptionState* state) {
  size_t equals = 0;
  if (!FindText(token, "=", 1, &equals)) {
    Message(kL2010RequiresParameter, "crc");
    return false;
  }
  const std::string parameter = token.substr(equals + 1);
  size_t cursor = 0;
  std::string codeText;
  if (!NextPiece(parameter, '=', &cursor, &codeText)) {
    Message(kL2010RequiresParameter, "crc");
    return false;
  }
  uint32_t codeAddress = 0;
  HexStatus status = TextValue(codeText, &codeAddress);
  // The second code byte must have an address too, so the code address stops below FFFFFFFF:
  // that one is refused as a number too long.
  if (status == HexOk && codeAddress == 0xFFFFFFFFu) {
    status = HexTooLong;
  }
  if (!AcceptNumber(status, codeText, "-crc")) {
    return false;
  }
  // The range text may hold "=" characters; they are bad digits of a range later.
  std::string rangeText;
  if (!NextPiece(parameter, '/', &cursor, &rangeText)) {
    Message(kL2011InvalidParameter, "crc", parameter.c_str());
    return false;
  }
  CrcAlgorithm algorithm = state->crcAlgorithm;
  std::string algorithmText;
  if (NextPiece(parameter, '/', &cursor, &algorithmText)) {
    // Compared exactly; anything after a further "/" is ignored.
    if (algorithmText == "CCITT") {
      algorithm = Ccitt;
    } else if (algorithmText == "16") {
      algorithm = Crc16;
    } else {
      Message(kL2011InvalidParameter, "crc", algorithmText.c_str());
      return false;
    }
  }
  state->codeAddress = codeAddress;
  state->hasRangeText = true;
  state->rangeText = rangeText;
  state->crcAlgorithm = algorithm;
  ++state->crcCount;
  return true;
}

bool ParseRangeList(OptionState* state) {
  if (!state->hasRangeText) {
    ReportInternalError(kRangeTextAbsent);
  }
  const std::string& text = state->rangeText;
  size_t cursor = 0;
  std::string item;
  // Empty items (",," or a comma at either end) are skipped.
  while (NextPiece(text, ',', &cursor, &item)) {
    PollInterrupt();
    if (!ParseRange(item, state)) {
      return false;
    }
  }
  return true;
}

bool CheckRanges(OptionState* state) {
  if (!SortRanges(state)) {
    return false;
  }
  PollInterrupt();
  const uint32_t first = state->codeAddress;
  // The code address is never FFFFFFFF, so the second code byte has an address.
  const uint32_t second = first + 1;
  const std::vector<AddressRange>& ranges = state->ranges;
  for (size_t i = 0; i < ranges.size(); ++i) {
    const uint32_t start = ranges[i].start;
    const uint32_t end = ranges[i].end;
    if (start > end) {
      Message(kL2013InvalidAddressValue, "crc", end);
      return false;
    }
    if (start <= first && first <= end) {
      Message(kL2022RangesOverlap, "crc", first, second <= end ? second : first);
      return false;
    }
    if (start <= second && second <= end) {
      Message(kL2022RangesOverlap, "crc", second, second);
      return false;
    }
    // Ranges may touch but must not share an address.
    if (i + 1 < ranges.size() && ranges[i + 1].start <= end) {
      Message(kL2022RangesOverlap, "crc", ranges[i + 1].start, end);
      return false;
    }
  }
  return true;
}

}  // namespace sumwright
