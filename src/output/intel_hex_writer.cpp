// The Intel HEX writer: copies the records, patches the code field or inserts a CRC record with
// the extended address records it needs.
#include "output/intel_hex_writer.h"

#include <cstring>
#include <string_view>

#include "base/interrupt.h"
#include "base/messages.h"
#include "input/intel_hex_reader.h"
#include "output/record_text.h"

namespace sumwright {

namespace {

// Internal-error places of this writer.
constexpr int kWriterModule = 6;
constexpr int kNoDataText = 101;
constexpr int kPatchFailed = 102;

constexpr uint32_t kDataRecord = 0x00;
constexpr uint32_t kSegmentRecord = 0x02;
constexpr uint32_t kLinearRecord = 0x04;

constexpr int kNoKind = 6;

// ":02000002VVVVCC" or ":02000004VVVVCC" for the output address state.
constexpr size_t kAddressRecordLength = 15;
void BuildAddressRecord(int kind, uint32_t value, char record[kAddressRecordLength]) {
  std::memcpy(record, kind == 4 ? ":02000004" : ":02000002", 9);
  HexDigits(value & 0xFFFFu, 2, record + 9);
  record[13] = '0';
  record[14] = '0';
  ChecksumDigits(IntelHex, record + 1, kAddressRecordLength - 1, record + 13);
}

// ":01OOOO00XXCC": one CRC byte at `address`.
void WriteOneByteCrcRecord(uint32_t address, const char digits[2], WriterState* state) {
  char record[13];
  std::memcpy(record, ":01", 3);
  HexDigits(address & 0xFFFFu, 2, record + 3);
  std::memcpy(record + 7, "00", 2);
  std::memcpy(record + 9, digits, 2);
  std::memcpy(record + 11, "00", 2);
  ChecksumDigits(IntelHex, record + 1, sizeof record - 1, record + 11);
  state->WriteLine(record, sizeof record);
}

// ":02OOOO00XXXXCC": both CRC bytes at the code address.
void WriteTwoByteCrcRecord(WriterState* state) {
  char record[15];
  std::memcpy(record, ":02", 3);
  HexDigits(state->codeAddress & 0xFFFFu, 2, record + 3);
  std::memcpy(record + 7, "00", 2);
  std::memcpy(record + 9, state->crcDigits, 4);
  std::memcpy(record + 13, "00", 2);
  ChecksumDigits(IntelHex, record + 1, sizeof record - 1, record + 13);
  state->WriteLine(record, sizeof record);
}

bool SameAddressState(const ExtendedAddressState& a, const ExtendedAddressState& b) {
  return a.kind == b.kind && a.value == b.value;
}

// True when a data record comes, from `index` on, before any extended address record.
bool DataRecordFollows(const HexFile& hexFile, size_t index) {
  const auto& lines = hexFile.intelHexLines;
  for (; index < lines.size(); ++index) {
    PollInterrupt();
    uint32_t type = 0;
    if (!RecordType(lines[index], &type)) {
      continue;
    }
    if (type == kDataRecord) {
      return true;
    }
    if (type == kSegmentRecord || type == kLinearRecord) {
      return false;
    }
  }
  return false;
}

}  // namespace

void TrackAddressRecord(const IntelHexLine& line, WriterState* state) {
  uint32_t type = 0;
  uint32_t value = 0;
  if (!RecordType(line, &type) || (type != kSegmentRecord && type != kLinearRecord) ||
      !ExtensionValue(line, &value)) {
    return;
  }
  state->outputAddressState.kind = static_cast<int>(type);
  state->outputAddressState.value = value;
}

void CopyRecord(const IntelHexLine& line, WriterState* state) {
  state->CopyLine(line.text, line.length);
}

void WritePatchedRecord(const IntelHexLine& line, WriterState* state) {
  std::string_view data;
  if (!DataText(line, &data)) {
    ReportInternalError(kWriterModule, kNoDataText);
  }
  size_t length = line.length;
  size_t dataOffset = static_cast<size_t>(data.data() - line.text);
  // A data text exists, so the record has at least its ten columns and the checksum pair.
  char* record = state->file->Reserve(length + state->lineEndLength);
  std::memcpy(record, line.text, length);
  if (!PatchCrcDigits(line.placement, line.address, state->codeAddress, state->crcDigits,
                      record + dataOffset, data.size())) {
    ReportInternalError(kWriterModule, kPatchFailed);
  }
  record[length - 2] = '0';
  record[length - 1] = '0';
  ChecksumDigits(IntelHex, record + 1, length - 1, record + length - 2);
  std::memcpy(record + length, state->lineEnd, state->lineEndLength);
  state->file->Advance(length + state->lineEndLength);
  state->NoteCodeBytesWritten(line.placement);
}

bool NeedsAddressRecord(uint32_t address, WriterState* state) {
  ExtendedAddressState& current = state->outputAddressState;
  uint32_t page = current.kind == 4 ? address >> 16 : (address >> 4) & 0xFFFF000u;
  // A segment base that is not the start of the address's 64 KB page (a segment value that is
  // not a multiple of 0x1000) would move a record at the address's low 16 bits elsewhere, so
  // it is replaced by the page's own segment value, 0 included.
  bool segmentOffPage = current.kind == 2 && page != current.value;
  if (!segmentOffPage && (page == 0 || page <= current.value)) {
    return false;
  }
  current.value = page;
  if (current.kind == kNoKind) {
    current.kind = 2;
  }
  if (current.kind == 2) {
    if (page <= 0xFFFFu) {
      // page * 16 lies within the first megabyte: a segment base reaches it.
      return true;
    }
    current.value = page >> 12;
    current.kind = 4;
    state->linearRecordIssued = true;
    return true;
  }
  if (state->linearRecordIssued) {
    return false;
  }
  state->linearRecordIssued = true;
  return true;
}

void WriteAddressRecord(const HexFile& hexFile, WriterState* state) {
  char record[kAddressRecordLength];
  BuildAddressRecord(state->outputAddressState.kind, state->outputAddressState.value, record);
  const auto& lines = hexFile.intelHexLines;
  if (state->cursor < lines.size()) {
    const IntelHexLine& next = lines[state->cursor];
    if (next.length == kAddressRecordLength &&
        std::memcmp(next.text, record, kAddressRecordLength) == 0) {
      // The input selects this very address next: write it once, and the input's later
      // records expect it.
      ++state->cursor;
      state->inputAddressState = state->outputAddressState;
    }
  }
  state->WriteLine(record, sizeof record);
}

void InsertCrcRecord(const HexFile& hexFile, WriterState* state) {
  uint32_t c = state->codeAddress;
  state->inputAddressState = state->outputAddressState;
  bool addressWritten = false;
  if (NeedsAddressRecord(c, state)) {
    WriteAddressRecord(hexFile, state);
    addressWritten = true;
  }
  if (NeedsAddressRecord(c + 1, state)) {
    // The two code bytes need different extended addresses.
    WriteOneByteCrcRecord(c, state->crcDigits, state);
    WriteAddressRecord(hexFile, state);
    WriteOneByteCrcRecord(c + 1, state->crcDigits + 2, state);
    addressWritten = true;
  } else {
    WriteTwoByteCrcRecord(state);
  }
  state->firstByteWritten = true;
  state->secondByteWritten = true;
  state->crcPending = false;
  if (!addressWritten || !DataRecordFollows(hexFile, state->cursor)) {
    return;
  }
  // A later data record would otherwise land under the writer's extended address: restore the
  // one the input has in effect there (base 0 when it had none yet).
  ExtendedAddressState restore = state->inputAddressState;
  if (restore.kind == kNoKind) {
    restore.kind = state->outputAddressState.kind;
    restore.value = 0;
  }
  if (SameAddressState(restore, state->outputAddressState)) {
    return;
  }
  char record[kAddressRecordLength];
  BuildAddressRecord(restore.kind, restore.value, record);
  state->WriteLine(record, sizeof record);
  state->outputAddressState = restore;
}

bool IntelHexStep(const HexFile& hexFile, WriterState* state) {
  const auto& lines = hexFile.intelHexLines;
  if (state->cursor >= lines.size()) {
    return false;
  }
  const IntelHexLine& line = lines[state->cursor];
  if (state->codeHolderFound) {
    if (HoldsCodeByte(line.placement)) {
      WritePatchedRecord(line, state);
    } else {
      CopyRecord(line, state);
    }
    ++state->cursor;
    return state->cursor < lines.size();
  }
  if (state->crcPending) {
    if (line.placement == After) {
      // The cursor stays: the record is copied by the next step, unless the writer's own
      // identical address record already took its place.
      InsertCrcRecord(hexFile, state);
      return state->cursor < lines.size();
    }
    if (line.placement != Before) {
      return false;
    }
    TrackAddressRecord(line, state);
  }
  CopyRecord(line, state);
  ++state->cursor;
  return state->cursor < lines.size();
}

}  // namespace sumwright
