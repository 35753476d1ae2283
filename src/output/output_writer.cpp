// The state of one output, shared by the output driver and the two format writers, and the
// ways they put lines into the output.
#include "output/output_writer.h"

#include <cstring>

#include "output/record_text.h"

namespace sumwright {

bool BatchCopiedWhole(const ScanBatch& batch, const OutputWriter& writer) {
  const unsigned holders = PlacementBit(CodePlacement::Within) |
                           PlacementBit(CodePlacement::SplitFirst) |
                           PlacementBit(CodePlacement::SplitSecond);
  if (!batch.plain || writer.restorePending || (batch.placements & holders) != 0) {
    return false;
  }
  // Before the code field has a place, a record placed After gets the CRC record in front.
  bool placed = writer.holderSeen || writer.inserted;
  return placed || (batch.placements & PlacementBit(CodePlacement::After)) == 0;
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

void NoteInternalError(OutputWriter* writer, ErrorPlace place) {
  if (writer->errorCategory == 0) {
    writer->errorLocation = place.location;
    writer->errorCategory = place.category;
  }
}

void NoteCodeBytesWritten(OutputWriter* writer, CodePlacement placement) {
  writer->firstByteWritten = writer->firstByteWritten || placement == CodePlacement::Within ||
                             placement == CodePlacement::SplitFirst;
  writer->secondByteWritten = writer->secondByteWritten || placement == CodePlacement::Within ||
                              placement == CodePlacement::SplitSecond;
  writer->crcPending = !(writer->firstByteWritten && writer->secondByteWritten);
}

void UndoInsertion(OutputWriter* writer) {
  FlushSpan(writer);
  // The later piece first, so that the earlier one's offsets still hold.
  if (writer->restoreWritten) {
    writer->file.Splice(writer->restoreStart, writer->restoreLength, nullptr, 0);
  }
  writer->file.Splice(writer->insertStart, writer->insertEnd - writer->insertStart,
                      writer->replacedLines.data(), writer->replacedLines.size());
  writer->insertedRecords.clear();
  writer->replacedLines.clear();
  writer->inserted = false;
  writer->restorePending = false;
  writer->restoreWritten = false;
  writer->firstByteWritten = false;
  writer->secondByteWritten = false;
  writer->crcPending = true;
}

void FillChecksum(FileFormat format, char* record, size_t length) {
  record[length - 2] = '0';
  record[length - 1] = '0';
  // Intel HEX sums from the count after ":", S-records from the count after the type digit.
  size_t first = format == IntelHex ? 1 : 2;
  ChecksumDigits(format, record + first, length - first, record + length - 2);
}

}  // namespace sumwright
