// The Intel HEX writer: copies the records, patches the code field or inserts a CRC record with
// the extended address records it needs.
//
// It sees the records once, in file order, chunk by chunk, and writes as it goes; the CRC is not
// known yet, so the records that carry it are written with placeholder digits and filled in at
// the end (PendingRecord). Three decisions depend on records not seen yet, and each is made
// when it becomes certain, by correcting what was written rather than by holding output back:
// - A CRC record goes in front of the first record placed After; a record holding a code byte
//   that turns up later means no CRC record was wanted, so the inserted ones are taken out
//   again (UndoInsertion), putting back an input address record they stood in for.
// - Address records written for the CRC change the base the input's later data records count
//   on; the record that gives it back is written once a data record shows it is needed, and an
//   address record of the input's own makes it needless (ResolveRestore).
// - The writer follows the input's address records only until the code field has its place.
// The corrections rewrite the file after the point they concern; they happen at most once or
// twice a run, so the usual run is a straight copy of the input's chunks. The code field's
// progress (output_writer.h, FieldStepFor) decides which of them can still happen.
// Tested by IntelHexWriter.EveryRecordHoldingACodeByteIsPatchedAndNoneInserted and
// IntelHexWriter.AddressRecordRestoresTheInputsAddressForLaterDataRecords.
#include "output/intel_hex_writer.h"

#include <cstring>
#include <string>
#include <string_view>

#include "input/code_placement.h"
#include "input/intel_hex_reader.h"
#include "output/output_writer.h"
#include "output/record_text.h"

namespace sumwright {

namespace {

// ":02000002VVVVCC" or ":02000004VVVVCC" for an extended address state.
constexpr size_t kAddressRecordLength = 15;
std::string AddressRecord(const ExtendedAddressState& state) {
  char record[kAddressRecordLength];
  std::memcpy(record, state.kind == AddressKind::Linear ? ":02000004" : ":02000002", 9);
  HexDigits(state.value & 0xFFFFu, 2, record + 9);
  FillChecksum(IntelHex, record, kAddressRecordLength);
  return std::string(record, kAddressRecordLength);
}

// ":01OOOO00XX" + checksum: one CRC byte at `address`, filled in later.
void WriteOneByteCrcRecord(uint32_t address, CodePlacement placement, OutputWriter* writer) {
  std::string record = ":01";
  char offset[4];
  HexDigits(address & 0xFFFFu, 2, offset);
  record.append(offset, 4).append("000000");
  WritePendingRecord(writer, &writer->insertion.records, record, kIntelHexDataColumn - 1, 2,
                     address, placement);
}

// ":02OOOO00XXXX" + checksum: both CRC bytes at the code address, filled in later.
void WriteTwoByteCrcRecord(OutputWriter* writer) {
  std::string record = ":02";
  char offset[4];
  HexDigits(writer->codeAddress & 0xFFFFu, 2, offset);
  record.append(offset, 4).append("00000000");
  WritePendingRecord(writer, &writer->insertion.records, record, kIntelHexDataColumn - 1, 4,
                     writer->codeAddress, CodePlacement::Within);
}

bool SameAddressState(const ExtendedAddressState& a, const ExtendedAddressState& b) {
  return a.kind == b.kind && a.value == b.value;
}

bool SameText(const IntelHexLine& line, const std::string& text) {
  return line.length == text.size() && std::memcmp(line.text, text.data(), text.size()) == 0;
}

// Writes `record`, an extended address record of the writer's own. When the input record
// `next` (the one the CRC records go in front of) is the very same, the input selects this
// address next anyway: it is written once, and the input's later records expect it. True then.
bool WriteAddressRecord(const std::string& record, const IntelHexLine* next, OutputWriter* writer) {
  bool replaces = next != nullptr && SameText(*next, record);
  if (replaces) {
    writer->insertion.replacedLines.append(record).append(writer->lineEnd, writer->lineEndLength);
    writer->intelHex.input = writer->intelHex.output;
  }
  WriteLine(writer, record.data(), record.size());
  return replaces;
}

// The CRC records are in place. When address records were written for them and the input's
// extended address differs from the writer's now, a later data record would land elsewhere:
// the input's address is restored in front of the next data record, if one comes before the
// input sets an address of its own.
void FinishInsertion(bool addressWritten, OutputWriter* writer) {
  EndInsertion(writer);
  IntelHexWriter& own = writer->intelHex;
  if (!addressWritten) {
    return;
  }
  // Base 0 where the input had no extended address yet.
  ExtendedAddressState restore = own.input;
  if (restore.kind == AddressKind::None) {
    restore.kind = own.output.kind;
    restore.value = 0;
  }
  if (!SameAddressState(restore, own.output)) {
    writer->insertion.restorePending = true;
    writer->insertion.restore = restore;
  }
}

// Decides the restoring record at the next record after the CRC records: a data record needs it
// (it goes right after the CRC records, and the insertion takes it in), an extended address
// record makes it needless.
void ResolveRestore(const IntelHexLine& line, OutputWriter* writer) {
  CrcInsertion& insertion = writer->insertion;
  bool addressRecord = line.type == kIntelHexSegmentAddress || line.type == kIntelHexLinearAddress;
  if (!addressRecord && line.type != kIntelHexData) {
    return;
  }
  insertion.restorePending = false;
  if (addressRecord) {
    return;
  }
  std::string record = AddressRecord(insertion.restore);
  record.append(writer->lineEnd, writer->lineEndLength);
  FlushSpan(writer);
  if (writer->file.Position() == insertion.end) {
    writer->file.Write(record.data(), record.size());
  } else {
    writer->file.Splice(insertion.end, 0, record.data(), record.size());
  }
  insertion.end += record.size();
  writer->intelHex.output = insertion.restore;
}

// Decides whether a record at `address` needs an address record of the writer's own in front of
// it, and if so makes the output's address state (and the insertion's linearRecordIssued) what
// that record will say. The wanted value names the 64 KB page of `address`: its upper half under linear
// addressing, else the segment that starts the page. A page 0 needs nothing, and neither does one
// at or below the value in effect: while the code field waits, every address record followed
// selected an address at or below the code address (PlaceAddressRecord), so the only such page
// of c or c + 1 is the value's own. A segment base in effect that does not start the page is
// replaced by the page's own segment. Pages beyond the first megabyte switch segment addressing
// to linear; linear addressing gets at most one added record in a run.
bool NeedsAddressRecord(uint32_t address, OutputWriter* writer) {
  ExtendedAddressState& current = writer->intelHex.output;
  uint32_t page = current.kind == AddressKind::Linear ? address >> 16 : (address >> 4) & 0xFFFF000u;
  // A segment base that is not the start of the address's 64 KB page (a segment value that is
  // not a multiple of 0x1000) would move a record at the address's low 16 bits elsewhere, so
  // it is replaced by the page's own segment value, 0 included.
  bool segmentOffPage = current.kind == AddressKind::Segment && page != current.value;
  if (!segmentOffPage && (page == 0 || page <= current.value)) {
    return false;
  }
  current.value = page;
  if (current.kind == AddressKind::None) {
    current.kind = AddressKind::Segment;
  }
  if (current.kind == AddressKind::Segment) {
    if (page <= 0xFFFFu) {
      // page * 16 lies within the first megabyte: a segment base reaches it.
      return true;
    }
    current.value = page >> 12;
    current.kind = AddressKind::Linear;
    writer->insertion.linearRecordIssued = true;
    return true;
  }
  if (writer->insertion.linearRecordIssued) {
    return false;
  }
  writer->insertion.linearRecordIssued = true;
  return true;
}

// Writes the CRC record(s) for a code field that no record holds, in front of `line`. True
// when `line` was written as the writer's own address record and so is taken care of.
//
// Only the address record for c + 1 can have a twin in `line`: the one for c selects the page
// that holds c, and an input record selecting it lies at or below c, so it is placed Before and
// never has the CRC records in front of it.
bool InsertCrcRecord(const IntelHexLine& line, OutputWriter* writer) {
  uint32_t c = writer->codeAddress;
  StartInsertion(writer);
  writer->intelHex.input = writer->intelHex.output;
  bool replaced = false;
  bool addressWritten = false;
  if (NeedsAddressRecord(c, writer)) {
    WriteAddressRecord(AddressRecord(writer->intelHex.output), nullptr, writer);
    addressWritten = true;
  }
  if (NeedsAddressRecord(c + 1, writer)) {
    // The two code bytes need different extended addresses.
    WriteOneByteCrcRecord(c, CodePlacement::SplitFirst, writer);
    replaced = WriteAddressRecord(AddressRecord(writer->intelHex.output), &line, writer);
    WriteOneByteCrcRecord(c + 1, CodePlacement::SplitSecond, writer);
    addressWritten = true;
  } else {
    WriteTwoByteCrcRecord(writer);
  }
  FinishInsertion(addressWritten, writer);
  return replaced;
}

void WritePatchedRecord(const IntelHexLine& line, OutputWriter* writer) {
  std::string_view data;
  if (!DataText(line, &data)) {
    NoteUnpatchable(writer, kPatchWithoutData);
    return;
  }
  WriteHolder(writer, std::string(line.text, line.length),
              static_cast<size_t>(data.data() - line.text), data.size(), line.address,
              line.placement);
}

void WriteRecord(const IntelHexLine& line, const ScanBatch& batch, OutputWriter* writer) {
  if (writer->insertion.restorePending) {
    ResolveRestore(line, writer);
  }
  FieldStep step = FieldStepFor(writer->field, line.placement);
  writer->field = step.next;
  switch (step.action) {
    case FieldAction::UndoAndPatch:
      UndoInsertion(writer);
      [[fallthrough]];
    case FieldAction::Patch:
      WritePatchedRecord(line, writer);
      return;
    case FieldAction::InsertBefore:
      if (InsertCrcRecord(line, writer)) {
        return;
      }
      if (writer->insertion.restorePending) {
        ResolveRestore(line, writer);
      }
      break;
    case FieldAction::Copy:
      // Until the code field has its place, the extended address of the records before it is
      // followed in the output.
      if (step.next == CodeFieldState::Waiting) {
        FollowAddressRecord(line, &writer->intelHex.output);
      }
      break;
  }
  CopyLine(writer, batch, line.text, line.length);
}

}  // namespace

void WriteIntelHexRecords(const ScanBatch& batch, OutputWriter* writer) {
  if (BatchCopiedWhole(batch, *writer)) {
    if (writer->field == CodeFieldState::Waiting) {
      for (const IntelHexLine& line : batch.intelHexLines) {
        FollowAddressRecord(line, &writer->intelHex.output);
      }
    }
    CopyBatch(writer, batch);
    FlushSpan(writer);
    return;
  }
  WriteEachRecord(batch, batch.intelHexLines, writer, WriteRecord);
}

}  // namespace sumwright
