// The S-record writer: a header record built from the output name, then the records copied,
// the code field patched, or a CRC record inserted.
#include "output/s_record_writer.h"

#include <cstring>
#include <string_view>

#include "input/code_placement.h"
#include "input/s_record_reader.h"
#include "output/record_text.h"

namespace sumwright {

namespace {

constexpr size_t kHeaderLength = 32;
constexpr size_t kNameDigits = 8;
constexpr size_t kExtensionDigits = 3;

// A one-byte record of a split pair: `prefix` (type, count and address) and one CRC byte, both
// filled in later.
void WriteOneByteRecord(const char* prefix, uint32_t address, CodePlacement placement,
                        OutputWriter* writer) {
  std::string record = prefix;
  size_t dataOffset = record.size();
  record.append("0000");
  WritePendingRecord(writer, &writer->insertedRecords, record, dataOffset, 2, address, placement);
}

void WriteSplitCrcRecords(OutputWriter* writer) {
  if (writer->codeAddress == 0xFFFFu) {
    WriteOneByteRecord("S104FFFF", 0xFFFFu, CodePlacement::SplitFirst, writer);
    WriteOneByteRecord("S205010000", 0x10000u, CodePlacement::SplitSecond, writer);
  } else {
    WriteOneByteRecord("S205FFFFFF", 0xFFFFFFu, CodePlacement::SplitFirst, writer);
    WriteOneByteRecord("S30601000000", 0x1000000u, CodePlacement::SplitSecond, writer);
  }
}

// The CRC record for a code field that no record holds, in front of the record being handled.
void InsertSRecordCrc(OutputWriter* writer) {
  uint32_t c = writer->codeAddress;
  FlushSpan(writer);
  writer->insertStart = writer->file.Position();
  if (c == 0xFFFFu || c == 0xFFFFFFu) {
    // The field straddles the 16-bit or 24-bit boundary: each byte gets the address width
    // that reaches it.
    WriteSplitCrcRecords(writer);
  } else {
    char record[20];
    int addressBytes = c <= 0xFFFFu ? 2 : c <= 0xFFFFFFu ? 3 : 4;
    record[0] = 'S';
    record[1] = static_cast<char>('0' + addressBytes - 1);
    HexDigits(static_cast<uint32_t>(addressBytes) + 3, 1, record + 2);
    HexDigits(c, addressBytes, record + 4);
    size_t dataOffset = 4 + 2 * static_cast<size_t>(addressBytes);
    std::memcpy(record + dataOffset, "000000", 6);
    WritePendingRecord(writer, &writer->insertedRecords, std::string(record, dataOffset + 6),
                       dataOffset, 4, c, CodePlacement::Within);
  }
  writer->insertEnd = writer->file.Position();
  writer->inserted = true;
  writer->firstByteWritten = true;
  writer->secondByteWritten = true;
  writer->crcPending = false;
}

// The record with the CRC digits of the code bytes it holds, filled in later. False, with
// nothing written, when its address or data cannot be read or patched.
bool WritePatchedSRecord(const SRecordLine& line, OutputWriter* writer) {
  std::string_view data;
  uint32_t start = 0;
  if (!AddressValue(line, &start) || !DataText(line, &data)) {
    return false;
  }
  std::string record(line.text, line.length);
  // A rewritten record starts with "S" whatever the input's first character was.
  record[0] = 'S';
  size_t dataOffset = static_cast<size_t>(data.data() - line.text);
  const char kAnyDigits[4] = {'0', '0', '0', '0'};
  std::string trial = record;
  if (!PatchCrcDigits(line.placement, start, writer->codeAddress, kAnyDigits, &trial[dataOffset],
                      data.size())) {
    return false;
  }
  WritePendingRecord(writer, &writer->holders, record, dataOffset, data.size(), start,
                     line.placement);
  NoteCodeBytesWritten(writer, line.placement);
  return true;
}

void WriteRecord(const SRecordLine& line, const ScanBatch& batch, OutputWriter* writer) {
  if (!writer->sRecordHeaderWritten) {
    char header[kHeaderLength];
    BuildSRecordHeader(writer->outputName, header);
    WriteLine(writer, header, kHeaderLength);
    writer->sRecordHeaderWritten = true;
    // The generated header takes the place of the input's own; another first record stays.
    if (line.type == 0) {
      return;
    }
  }
  if (HoldsCodeByte(line.placement)) {
    if (writer->inserted && !writer->holderSeen) {
      UndoInsertion(writer);
    }
    writer->holderSeen = true;
    if (!WritePatchedSRecord(line, writer)) {
      writer->failed = true;
    }
    return;
  }
  if (!writer->holderSeen && !writer->inserted && line.placement == CodePlacement::After) {
    InsertSRecordCrc(writer);
  }
  CopyLine(writer, batch, line.text, line.length);
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
  FillChecksum(SRecord, header, kHeaderLength);
}

void WriteSRecords(const ScanBatch& batch, OutputWriter* writer) {
  if (writer->sRecordHeaderWritten && BatchCopiedWhole(batch, *writer)) {
    CopyBatch(writer, batch);
    FlushSpan(writer);
    return;
  }
  for (const SRecordLine& line : batch.sRecordLines) {
    if (!writer->failed) {
      WriteRecord(line, batch, writer);
    }
  }
  FlushSpan(writer);
}

}  // namespace sumwright
