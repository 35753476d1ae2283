// The S-record writer: a header record built from the output name, then the records copied,
// the code field patched, or a CRC record inserted.
#include "output/s_record_writer.h"

#include <cstring>
#include <string_view>

#include "input/s_record_reader.h"
#include "output/record_text.h"

namespace sumwright {

namespace {

constexpr size_t kHeaderLength = 32;
constexpr size_t kNameDigits = 8;
constexpr size_t kExtensionDigits = 3;

bool IsHeaderRecord(const SRecordLine& line) {
  uint32_t type = 0;
  return RecordType(line, &type) && type == 0;
}

// Fills a checksum placeholder at the end of `record`: one's complement over the text from
// the count digits on.
void FillChecksum(char* record, size_t length) {
  record[length - 2] = '0';
  record[length - 1] = '0';
  ChecksumDigits(SRecord, record + 2, length - 2, record + length - 2);
}

// One record of a split pair: `prefix` (type, count and address), one CRC byte, checksum.
void WriteOneByteRecord(const char* prefix, const char digits[2], WriterState* state) {
  char record[16];
  size_t prefixLength = std::strlen(prefix);
  std::memcpy(record, prefix, prefixLength);
  std::memcpy(record + prefixLength, digits, 2);
  size_t length = prefixLength + 4;
  FillChecksum(record, length);
  state->WriteLine(record, length);
}

}  // namespace

void BuildSRecordHeader(const std::string& outputName, char header[kHeaderLength]) {
  std::memcpy(header, "S00E0000202020202020202020202000", kHeaderLength);
  size_t namePart = outputName.find_last_of("/\\");
  namePart = namePart == std::string::npos ? 0 : namePart + 1;
  std::string_view name(outputName.data() + namePart, outputName.size() - namePart);
  size_t position = 0;
  while (position < name.size() && position < kNameDigits && name[position] != '.') {
    HexDigits(static_cast<unsigned char>(name[position]), 1, header + 8 + 2 * position);
    ++position;
  }
  size_t dot = name.find('.', position);
  if (dot != std::string_view::npos) {
    std::string_view extension = name.substr(dot + 1, kExtensionDigits);
    for (size_t i = 0; i < extension.size(); ++i) {
      HexDigits(static_cast<unsigned char>(extension[i]), 1, header + 24 + 2 * i);
    }
  }
  FillChecksum(header, kHeaderLength);
}

void WriteSRecordHeader(WriterState* state) {
  char header[kHeaderLength];
  BuildSRecordHeader(state->outputName, header);
  state->WriteLine(header, kHeaderLength);
}

void CopySRecord(const SRecordLine& line, WriterState* state) {
  state->CopyLine(line.text, line.length);
}

void WriteSplitCrcRecords(WriterState* state) {
  if (state->codeAddress == 0xFFFFu) {
    WriteOneByteRecord("S104FFFF", state->crcDigits, state);
    WriteOneByteRecord("S205010000", state->crcDigits + 2, state);
  } else {
    WriteOneByteRecord("S205FFFFFF", state->crcDigits, state);
    WriteOneByteRecord("S30601000000", state->crcDigits + 2, state);
  }
}

void InsertSRecordCrc(WriterState* state) {
  uint32_t c = state->codeAddress;
  if (c == 0xFFFFu || c == 0xFFFFFFu) {
    // The field straddles the 16-bit or 24-bit boundary: each byte gets the address width
    // that reaches it.
    WriteSplitCrcRecords(state);
    return;
  }
  char record[20];
  int addressBytes = c <= 0xFFFFu ? 2 : c <= 0xFFFFFFu ? 3 : 4;
  record[0] = 'S';
  record[1] = static_cast<char>('0' + addressBytes - 1);
  HexDigits(static_cast<uint32_t>(addressBytes) + 3, 1, record + 2);
  HexDigits(c, addressBytes, record + 4);
  size_t position = 4 + 2 * static_cast<size_t>(addressBytes);
  std::memcpy(record + position, state->crcDigits, 4);
  size_t length = position + 6;
  FillChecksum(record, length);
  state->WriteLine(record, length);
}

bool WritePatchedSRecord(const SRecordLine& line, WriterState* state) {
  std::string_view address;
  std::string_view data;
  uint32_t start = 0;
  if (!AddressText(line, &address) || !AddressValue(line, &start) || !DataText(line, &data)) {
    return false;
  }
  // "S", the type, the count as it stands, the address, the data and a new checksum.
  size_t length = 4 + address.size() + data.size() + 2;
  char* record = state->file->Reserve(length + state->lineEndLength);
  record[0] = 'S';
  record[1] = line.text[1];
  record[2] = line.text[2];
  record[3] = line.text[3];
  std::memcpy(record + 4, address.data(), address.size());
  char* patched = record + 4 + address.size();
  std::memcpy(patched, data.data(), data.size());
  if (!PatchCrcDigits(line.placement, start, state->codeAddress, state->crcDigits, patched,
                      data.size())) {
    return false;
  }
  FillChecksum(record, length);
  std::memcpy(record + length, state->lineEnd, state->lineEndLength);
  state->file->Advance(length + state->lineEndLength);
  state->NoteCodeBytesWritten(line.placement);
  return true;
}

bool SRecordStep(const HexFile& hexFile, WriterState* state) {
  const auto& lines = hexFile.sRecordLines;
  if (state->cursor >= lines.size()) {
    return false;
  }
  if (!state->sRecordHeaderWritten) {
    WriteSRecordHeader(state);
    state->sRecordHeaderWritten = true;
    // The generated header takes the place of the input's own; another first record stays.
    if (IsHeaderRecord(lines[state->cursor])) {
      ++state->cursor;
    }
    return state->cursor < lines.size();
  }
  const SRecordLine& line = lines[state->cursor];
  if (state->codeHolderFound) {
    if (HoldsCodeByte(line.placement)) {
      if (!WritePatchedSRecord(line, state)) {
        return false;
      }
    } else {
      CopySRecord(line, state);
    }
  } else if (state->crcPending && line.placement == After) {
    // The cursor stays: the record is copied by the next step.
    InsertSRecordCrc(state);
    state->firstByteWritten = true;
    state->secondByteWritten = true;
    state->crcPending = false;
    return true;
  } else {
    CopySRecord(line, state);
  }
  ++state->cursor;
  return state->cursor < lines.size();
}

}  // namespace sumwright
