// S-record lines: the reader and the field accessors of a stored record.
#include "input/s_record_reader.h"

#include "base/hex_value.h"

namespace sumwright {

namespace {

// Number of address digits of a record type; 0 for types without an address field.
size_t AddressDigits(uint32_t type) {
  switch (type) {
    case 1:
    case 9:
      return 4;
    case 2:
    case 8:
      return 6;
    case 3:
    case 7:
      return 8;
    default:
      return 0;
  }
}

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
  int digit = kHexDigitValue[line.text[1]];
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
  size_t digits = AddressDigits(type);
  if (digits == 0 || line.length < 4 + digits) {
    return false;
  }
  *address = std::string_view(line.text + 4, digits);
  return true;
}

bool AddressValue(const SRecordLine& line, uint32_t* address) {
  std::string_view text;
  return AddressText(line, &text) && HexValue(text.data(), text.size(), address) == HexOk;
}

bool DataText(const SRecordLine& line, std::string_view* data) {
  uint32_t type = 0;
  if (!RecordType(line, &type) || type < 1 || type > 3) {
    return false;
  }
  size_t first = 4 + AddressDigits(type);
  if (line.length < first + 1) {
    return false;
  }
  // Without a whole checksum after the address there are no data digits.
  size_t digits = line.length >= first + 2 ? line.length - first - 2 : 0u;
  *data = std::string_view(line.text + first, digits);
  return true;
}

bool ReadSRecordLine(const char* text, size_t length, CodeField* field, SRecordLine* line) {
  if (length > UINT16_MAX) {
    return false;
  }
  *line = SRecordLine{text, 0, static_cast<uint16_t>(length), 0, CodePlacement::Invalid};
  uint32_t type = 0;
  if (!RecordType(*line, &type)) {
    return false;
  }
  line->type = static_cast<uint8_t>(type);
  switch (type) {
    case 0:
      line->placement = CodePlacement::Before;
      break;
    case 1:
    case 2:
    case 3: {
      // The address and data fields as AddressValue and DataText read them, without taking the
      // type apart again: nearly every line of a file is a data record.
      size_t addressDigits = AddressDigits(type);
      size_t first = 4 + addressDigits;
      if (length < first + 1 || !DigitsValue(text + 4, addressDigits, &line->address)) {
        return false;
      }
      if (field == nullptr) {
        break;
      }
      // The span covers whole bytes only; a record without one holds no code byte.
      size_t dataDigits = length >= first + 2 ? length - first - 2 : 0;
      uint32_t bytes = static_cast<uint32_t>(dataDigits / 2);
      line->placement = bytes == 0
                            ? PlaceEmptyRecord(line->address, *field)
                            : PlaceCodeField(line->address, line->address + bytes - 1u, field);
      // Refused without a message, where the Intel HEX reader prints L3315: S-record users have
      // always seen only the abort line here, and scripts may rely on it.
      if (line->placement == CodePlacement::Invalid) {
        return false;
      }
      break;
    }
    case 7:
    case 8:
    case 9: {
      uint32_t address = 0;
      if (!AddressValue(*line, &address)) {
        return false;
      }
      line->placement = CodePlacement::After;
      break;
    }
    default:
      return false;
  }
  return true;
}

}  // namespace sumwright
