// Intel HEX lines: the reader, the placement of a read record and the field accessors.
#include "input/intel_hex_reader.h"

#include "base/hex_value.h"
#include "base/messages.h"

namespace sumwright {

namespace {

// Converts `width` hex digits starting at column `column` (from 1); false when the text ends
// before the field does or a character is not a hex digit. Fields are at most 4 digits, so
// this is the fixed-width case of HexValue, kept inline because every line reads three fields.
inline bool FieldValue(const IntelHexLine& line, size_t column, size_t width, uint32_t* value) {
  if (line.length < column - 1 + width) {
    return false;
  }
  const char* digits = line.text + column - 1;
  int result = 0;
  int bad = 0;
  for (size_t i = 0; i < width; ++i) {
    int digit = kHexDigitValue[digits[i]];
    bad |= digit;
    result = result * 16 + digit;
  }
  if (bad < 0) {
    return false;
  }
  *value = static_cast<uint32_t>(result);
  return true;
}

// The count, address and type fields (columns 2-9) of a data record whose eight digits are all
// hexadecimal, read in one go: nearly every line of a file is one. False otherwise; the fields
// are then read one by one, as each record type needs them.
inline bool DataRecordHeader(const char* text, size_t length, uint32_t* count, uint32_t* offset) {
  if (length < 9) {
    return false;
  }
  int digits[8];
  int bad = 0;
  for (int i = 0; i < 8; ++i) {
    digits[i] = kHexDigitValue[text[1 + i]];
    bad |= digits[i];
  }
  if (bad < 0 || digits[6] != 0 || digits[7] != 0) {
    return false;
  }
  *count = static_cast<uint32_t>(digits[0] * 16 + digits[1]);
  *offset = static_cast<uint32_t>(((digits[2] * 16 + digits[3]) * 16 + digits[4]) * 16 + digits[5]);
  return true;
}

// True when the data digits reach every code byte a record placed `placement` holds, so
// that the code field can be patched into them.
bool DigitsReachCode(const IntelHexLine& line, uint32_t start, uint32_t codeAddress) {
  CodePlacement placement = line.placement;
  if (!HoldsCodeByte(placement)) {
    return true;
  }
  uint32_t lastCodeByte = placement == CodePlacement::SplitFirst ? codeAddress : codeAddress + 1;
  uint64_t digitsNeeded = 2 * (static_cast<uint64_t>(lastCodeByte - start) + 1);
  std::string_view data;
  return DataText(line, &data) && data.size() >= digitsNeeded;
}

}  // namespace

bool RecordType(const IntelHexLine& line, uint32_t* type) {
  return FieldValue(line, kIntelHexTypeColumn, 2, type);
}

bool ByteCount(const IntelHexLine& line, uint32_t* count) {
  return FieldValue(line, kIntelHexCountColumn, 2, count);
}

bool LoadOffset(const IntelHexLine& line, uint32_t* offset) {
  return FieldValue(line, kIntelHexOffsetColumn, 4, offset);
}

bool ExtensionValue(const IntelHexLine& line, uint32_t* value) {
  return FieldValue(line, kIntelHexDataColumn, 4, value);
}

bool DataText(const IntelHexLine& line, std::string_view* data) {
  uint32_t type = 0;
  const size_t first = kIntelHexDataColumn - 1;
  if (!RecordType(line, &type) || type != kIntelHexData || line.length <= first) {
    return false;
  }
  *data = DataDigits(line.text, line.length, first);
  return true;
}

bool FollowAddressRecord(const IntelHexLine& line, ExtendedAddressState* state) {
  uint32_t value = 0;
  if ((line.type != kIntelHexSegmentAddress && line.type != kIntelHexLinearAddress) ||
      !ExtensionValue(line, &value)) {
    return false;
  }
  state->value = value;
  state->kind = line.type == kIntelHexSegmentAddress ? AddressKind::Segment : AddressKind::Linear;
  return true;
}

bool ReadIntelHexLine(const char* text, size_t length, ExtendedAddressState* state,
                      IntelHexLine* line) {
  if (length > UINT16_MAX) {
    return false;
  }
  *line = IntelHexLine{text, 0, static_cast<uint16_t>(length), 0, CodePlacement::Invalid};
  uint32_t type = 0;
  uint32_t offset = 0;
  uint32_t count = 0;
  bool header = DataRecordHeader(text, length, &count, &offset);
  if (!header && !RecordType(*line, &type)) {
    return false;
  }
  line->type = static_cast<uint8_t>(type);
  switch (type) {
    case kIntelHexData:
      if (!header && (!LoadOffset(*line, &offset) || !ByteCount(*line, &count))) {
        return false;
      }
      line->address = IntelHexAddress(*state, offset);
      return true;
    case kIntelHexSegmentAddress:
    case kIntelHexLinearAddress:
      if (!FollowAddressRecord(*line, state) || !LoadOffset(*line, &offset)) {
        return false;
      }
      line->address = IntelHexAddress(*state, offset);
      return true;
    default:
      return true;
  }
}

bool PlaceIntelHexLine(IntelHexLine* line, CodeField* field) {
  switch (line->type) {
    case kIntelHexData: {
      // The reader found the count readable; the type field behind it makes the text long enough.
      uint32_t count = 0;
      HexByte(line->text + kIntelHexCountColumn - 1, &count);
      uint32_t start = line->address;
      // A record without data bytes is placed by its start alone; it holds no code byte.
      line->placement = count == 0 ? PlaceEmptyRecord(start, *field)
                                   : PlaceCodeField(start, start + count - 1u, field);
      if (line->placement == CodePlacement::Invalid ||
          !DigitsReachCode(*line, start, field->crcCodeAddress)) {
        Message(kL3315InvalidCodeLocation);
        return false;
      }
      return true;
    }
    case kIntelHexEndOfFile:
    case kIntelHexStartSegment:
    case kIntelHexStartLinear:
      line->placement = CodePlacement::After;
      return true;
    case kIntelHexSegmentAddress:
    case kIntelHexLinearAddress:
      line->placement = PlaceAddressRecord(line->address, field->crcCodeAddress);
      return true;
    case kIntelHexValdaneExtended:
      Message(kL2008InvalidAddressRecordType, kValdaneExtended);
      return false;
    default:
      return false;
  }
}

}  // namespace sumwright
