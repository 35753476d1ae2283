// SPDX-License-Identifier: MIT
// The S-record writer: a header record built from the output name, then the records copied,
// the code field patched, or a CRC record inserted.
//
// Like the Intel HEX writer, it sees the records once, in file order, and writes as it goes:
// the records that carry the CRC get placeholder digits, filled in at the end (PendingRecord).
// One decision depends on records not seen yet: the CRC record goes in front of the first
// record placed After, and a record holding a code byte that turns up later (the input does not
// ascend) means no CRC record was wanted, so it is taken out again (UndoInsertion). The code
// field's progress (output_writer.h, FieldStepFor) says when. S-records need no address records:
// a record's type gives its address width, so the CRC record and the pair split at
// 0xFFFF/0x10000 or 0xFFFFFF/0x1000000 each take the narrowest type that reaches their address.
// Tested by SRecordWriter.CodeFieldIsPatchedSplitOrInserted and
// SRecordWriter.EveryRecordHoldingACodeByteIsPatchedAndNoneInserted.
#include "output/s_record_writer.h"

#include <cstring>
#include <string_view>

#include "input/code_placement.h"
#include "input/s_record_format.h"
#include "input/s_record_reader.h"
#include "output/output_writer.h"
#include "output/record_text.h"

#if defined(_WIN32)
#include "base/wide_text.h"
#endif

namespace sumwright {

namespace {

constexpr size_t kHeaderLength = 32;
constexpr size_t kNameDigits = 8;
constexpr size_t kExtensionDigits = 3;

// A CRC record of `byteCount` code bytes (one or two) from `address` on, its data and checksum
// filled in later: the narrowest data record type whose address field reaches the address, and
// a count of the address bytes, the data bytes and the checksum.
void WriteCrcRecord(uint32_t address, uint32_t byteCount, CodePlacement placement,
                    OutputWriter* writer) {
  uint32_t type = SRecordDataType(address);
  size_t addressBytes = SRecordAddressBytes(type);
  char record[24];
  record[0] = 'S';
  record[1] = static_cast<char>('0' + type);
  HexDigits(static_cast<uint32_t>(addressBytes) + byteCount + 1, 1, record + 2);
  HexDigits(address, static_cast<int>(addressBytes), record + 4);
  size_t dataOffset = SRecordDataColumn(type) - 1;
  size_t dataLength = 2 * size_t{byteCount};
  std::memset(record + dataOffset, '0', dataLength + 2);
  WritePendingRecord(writer, &writer->insertion.records,
                     std::string(record, dataOffset + dataLength + 2), dataOffset, dataLength,
                     address, placement);
}

// The CRC record for a code field that no record holds, in front of the record being handled.
void InsertSRecordCrc(OutputWriter* writer) {
  uint32_t c = writer->codeAddress;  // never 0xFFFFFFFF, so c + 1 does not wrap
  StartInsertion(writer);
  if (SRecordDataType(c) == SRecordDataType(c + 1)) {
    WriteCrcRecord(c, 2, CodePlacement::Within, writer);
  } else {
    // The field straddles the 16-bit or 24-bit boundary: each byte gets the address width that
    // reaches it.
    WriteCrcRecord(c, 1, CodePlacement::SplitFirst, writer);
    WriteCrcRecord(c + 1, 1, CodePlacement::SplitSecond, writer);
  }
  EndInsertion(writer);
}

void WritePatchedSRecord(const SRecordLine& line, OutputWriter* writer) {
  std::string_view data;
  if (!DataText(line, &data)) {
    NoteUnpatchable(writer, kPatchWithoutData);
    return;
  }
  std::string record(line.text, line.length);
  // A rewritten record starts with "S" whatever the input's first character was.
  record[0] = 'S';
  WriteHolder(writer, record, static_cast<size_t>(data.data() - line.text), data.size(),
              line.address, line.placement);
}

void WriteRecord(const SRecordLine& line, const ScanBatch& batch, OutputWriter* writer) {
  if (!writer->sRecord.headerWritten) {
    char header[kHeaderLength];
    BuildSRecordHeader(writer->outputName, header);
    WriteLine(writer, header, kHeaderLength);
    writer->sRecord.headerWritten = true;
    // The generated header takes the place of the input's own; another first record stays.
    if (line.type == kSRecordHeader) {
      return;
    }
  }
  // The steps of the Intel HEX writer's WriteRecord, each done the S-record way.
  FieldStep step = FieldStepFor(writer->field, line.placement);
  writer->field = step.next;
  switch (step.action) {
    case FieldAction::UndoAndPatch:
      UndoInsertion(writer);
      [[fallthrough]];
    case FieldAction::Patch:
      WritePatchedSRecord(line, writer);
      return;
    case FieldAction::InsertBefore:
      InsertSRecordCrc(writer);
      break;
    case FieldAction::Copy:
      break;
  }
  CopyLine(writer, batch, line.text, line.length);
}

}  // namespace

void BuildSRecordHeader(const std::string& outputName, char header[kHeaderLength]) {
  std::memcpy(header, "S00E0000202020202020202020202000", kHeaderLength);
  size_t namePart = outputName.find_last_of("/\\");
  namePart = namePart == std::string::npos ? 0 : namePart + 1;
#if defined(_WIN32)
  // The name's bytes in the ANSI code page, as Windows programs have always written them; a
  // character that the code page lacks becomes "_".
  std::string ansiName = AnsiFromText(std::string_view(outputName).substr(namePart), '_');
  std::string_view name(ansiName);
#else
  std::string_view name(outputName.data() + namePart, outputName.size() - namePart);
#endif
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
  if (writer->sRecord.headerWritten && BatchCopiedWhole(batch, *writer)) {
    CopyBatch(writer, batch);
    FlushSpan(writer);
    return;
  }
  WriteEachRecord(batch, batch.sRecordLines, writer, WriteRecord);
}

}  // namespace sumwright
