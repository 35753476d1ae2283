// The state of one output, shared by the output driver and the two format writers.
#include "output/output_writer.h"

#include <cstring>

#include "input/code_placement.h"
#include "output/record_text.h"

namespace sumwright {

// The transitions, record by record (c is the code address):
//   Waiting   + a record placed After         -> InsertBefore, Inserted
//   Inserted  + a record holding a code byte  -> UndoAndPatch, FirstByteHeld or Held
//   any other + a record holding a code byte  -> Patch, FirstByteHeld or Held
//   any state + any other record              -> Copy, the same state
// A record holding the byte at c + 1 (Within or SplitSecond) makes the field Held; one holding
// only the byte at c (SplitFirst) makes it FirstByteHeld unless it was Held. A SplitSecond
// record always comes after a SplitFirst one: the scan refuses it otherwise.
FieldStep FieldStepFor(CodeFieldState state, CodePlacement placement) {
  if (HoldsCodeByte(placement)) {
    bool holdsSecondByte = placement != CodePlacement::SplitFirst;
    CodeFieldState next = holdsSecondByte || state == CodeFieldState::Held
                              ? CodeFieldState::Held
                              : CodeFieldState::FirstByteHeld;
    // A record holding a code byte means no CRC record was wanted.
    FieldAction action =
        state == CodeFieldState::Inserted ? FieldAction::UndoAndPatch : FieldAction::Patch;
    return FieldStep{action, next};
  }
  if (state == CodeFieldState::Waiting && placement == CodePlacement::After) {
    return FieldStep{FieldAction::InsertBefore, CodeFieldState::Inserted};
  }
  return FieldStep{FieldAction::Copy, state};
}

bool FieldPlaced(CodeFieldState state) {
  return state == CodeFieldState::Inserted || state == CodeFieldState::Held;
}

void NoteFailure(OutputWriter* writer, OutputFailureKind kind, ErrorPlace place) {
  if (writer->failure.kind == OutputFailureKind::None) {
    writer->failure = OutputFailure{kind, place};
  }
}

void NoteUnpatchable(OutputWriter* writer, ErrorPlace place) {
  if (writer->format == IntelHex) {
    NoteFailure(writer, OutputFailureKind::InternalError, place);
  } else {
    NoteFailure(writer, OutputFailureKind::Unpatchable);
  }
}

bool BatchCopiedWhole(const ScanBatch& batch, const OutputWriter& writer) {
  const unsigned holders = PlacementBit(CodePlacement::Within) |
                           PlacementBit(CodePlacement::SplitFirst) |
                           PlacementBit(CodePlacement::SplitSecond);
  if (!batch.plain || writer.insertion.restorePending || (batch.placements & holders) != 0) {
    return false;
  }
  // While the code field waits for its place, a record placed After gets the CRC record in front.
  return writer.field != CodeFieldState::Waiting ||
         (batch.placements & PlacementBit(CodePlacement::After)) == 0;
}

void CopyBatch(OutputWriter* writer, const ScanBatch& batch) {
  if (batch.begin != writer->spanEnd) {
    FlushSpan(writer);
    writer->spanStart = batch.begin;
  }
  writer->spanEnd = batch.end;
}

void FlushSpan(OutputWriter* writer) {
  if (writer->spanStart != writer->spanEnd) {
    writer->file.Write(writer->spanStart, static_cast<size_t>(writer->spanEnd - writer->spanStart));
  }
  writer->spanStart = writer->spanEnd = nullptr;
}

void WriteLine(OutputWriter* writer, const char* text, size_t length) {
  FlushSpan(writer);
  writer->file.Write(text, length);
  writer->file.Write(writer->lineEnd, writer->lineEndLength);
}

void CopyLine(OutputWriter* writer, const ScanBatch& batch, const char* text, size_t length) {
  const char* afterText = text + length;
  // The line end is one or two bytes: compared in place, as this runs for every line.
  const char* lineEnd = writer->lineEnd;
  size_t room = static_cast<size_t>(batch.end - afterText);
  bool lineEndFollows = writer->lineEndLength == 1
                            ? room >= 1 && afterText[0] == lineEnd[0]
                            : room >= 2 && afterText[0] == lineEnd[0] && afterText[1] == lineEnd[1];
  if (!lineEndFollows) {
    WriteLine(writer, text, length);
    return;
  }
  if (text != writer->spanEnd) {
    FlushSpan(writer);
    writer->spanStart = text;
  }
  writer->spanEnd = afterText + writer->lineEndLength;
}

void WritePendingRecord(OutputWriter* writer, std::vector<PendingRecord>* records,
                        const std::string& text, size_t dataOffset, size_t dataLength,
                        uint32_t start, CodePlacement placement) {
  FlushSpan(writer);
  records->push_back(
      PendingRecord{writer->file.Position(), text, dataOffset, dataLength, start, placement});
  WriteLine(writer, text.data(), text.size());
}

void WriteHolder(OutputWriter* writer, const std::string& record, size_t dataOffset,
                 size_t dataLength, uint32_t start, CodePlacement placement) {
  // The digits are filled in with the CRC later; patching now shows that they can be.
  const char kAnyDigits[4] = {'0', '0', '0', '0'};
  std::string trial = record;
  if (!PatchCrcDigits(placement, start, writer->codeAddress, kAnyDigits, &trial[dataOffset],
                      dataLength)) {
    NoteUnpatchable(writer, kPatchFailed);
    return;
  }
  WritePendingRecord(writer, &writer->holders, record, dataOffset, dataLength, start, placement);
}

void StartInsertion(OutputWriter* writer) {
  FlushSpan(writer);
  writer->insertion.start = writer->file.Position();
}

void EndInsertion(OutputWriter* writer) {
  FlushSpan(writer);
  writer->insertion.end = writer->file.Position();
}

void UndoInsertion(OutputWriter* writer) {
  FlushSpan(writer);
  CrcInsertion& insertion = writer->insertion;
  writer->file.Splice(insertion.start, insertion.end - insertion.start,
                      insertion.replacedLines.data(), insertion.replacedLines.size());
  // The Intel HEX record restoring the input's address goes with it, written or not.
  insertion = CrcInsertion{};
}

void FillChecksum(FileFormat format, char* record, size_t length) {
  record[length - 2] = '0';
  record[length - 1] = '0';
  // Intel HEX sums from the count after ":", S-records from the count after the type digit.
  size_t first = format == IntelHex ? 1 : 2;
  ChecksumDigits(format, record + first, length - first, record + length - 2);
}

}  // namespace sumwright
