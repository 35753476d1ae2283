// S-record lines: the reader, the placement of a read record and the field accessors.
#include "input/s_record_reader.h"

#include "base/hex_value.h"

namespace sumwright {

namespace {

// The value of `count` hexadecimal digits (at most 8); false when one is not a digit.
inline bool DigitsValue(const char* digits, size_t count, uint32_t* value) {
  uint32_t result = 0;
  int bad = 0;
  for (size_t i = 0; i < count; ++i) {
    int digit = kHexDigitValue[digits[i]];
    bad |= digit;
    result = result * 16 + static_cast<uint32_t>(digit);
  }
  *value = result;
  return bad >= 0;
}

}  // namespace

bool RecordType(const SRecordLine& line, uint32_t* type) {
  if (line.length < 2) {
    return false;
  }
  int digit = kHexDigitValue[line.text[kSRecordTypeColumn - 1]];
  if (digit < 0) {
    return false;
  }
  *type = static_cast<uint32_t>(digit);
  return true;
}

bool AddressText(const SRecordLine& line, std::string_view* address) {
  uint32_t type = 0;
  if (!RecordType(line, &type)) {
    return false;
  }
  size_t digits = 2 * SRecordAddressBytes(type);
  const size_t first = kSRecordAddressColumn - 1;
  if (digits == 0 || line.length < first + digits) {
    return false;
  }
  *address = std::string_view(line.text + first, digits);
  return true;
}

bool AddressValue(const SRecordLine& line, uint32_t* address) {
  std::string_view text;
  return AddressText(line, &text) && HexValue(text.data(), text.size(), address) == HexOk;
}

bool DataText(const SRecordLine& line, std::string_view* data) {
  uint32_t type = 0;
  if (!RecordType(line, &type) || !IsSRecordData(type)) {
    return false;
  }
  size_t first = SRecordDataColumn(type) - 1;
  if (line.length < first + 1) {
    return false;
  }
  *data = DataDigits(line.text, line.length, first);
  return true;
}

bool ReadSRecordLine(const char* text, size_t length, SRecordLine* line) {
  if (length > UINT16_MAX) {
    return false;
  }
  *line = SRecordLine{text, 0, static_cast<uint16_t>(length), 0, CodePlacement::Invalid};
  uint32_t type = 0;
  if (!RecordType(*line, &type)) {
    return false;
  }
  line->type = static_cast<uint8_t>(type);
  if (IsSRecordData(type)) {
    // The address as AddressValue reads it, without taking the type apart again: nearly every
    // line of a file is a data record. The text must reach the data column.
    size_t first = SRecordDataColumn(type) - 1;
    return length >= first + 1 && DigitsValue(text + kSRecordAddressColumn - 1,
                                              2 * SRecordAddressBytes(type), &line->address);
  }
  if (IsSRecordTermination(type)) {
    uint32_t address = 0;
    return AddressValue(*line, &address);
  }
  return true;
}

bool PlaceSRecordLine(SRecordLine* line, CodeField* field) {
  if (line->type == kSRecordHeader) {
    line->placement = CodePlacement::Before;
    return true;
  }
  if (IsSRecordTermination(line->type)) {
    line->placement = CodePlacement::After;
    return true;
  }
  if (!IsSRecordData(line->type)) {
    return false;
  }
  // The span covers whole bytes only; a record without one holds no code byte.
  size_t first = SRecordDataColumn(line->type) - 1;
  uint32_t bytes = static_cast<uint32_t>(DataDigits(line->text, line->length, first).size() / 2);
  line->placement = bytes == 0 ? PlaceEmptyRecord(line->address, *field)
                               : PlaceCodeField(line->address, line->address + bytes - 1u, field);
  // Refused without a message, where the Intel HEX reader prints L3315: S-record users have
  // always seen only the abort line here, and scripts may rely on it.
  return line->placement != CodePlacement::Invalid;
}

}  // namespace sumwright
