// SPDX-License-Identifier: MIT
// The output stage: the records of the input with the CRC at the code field, written while the
// input is scanned and completed once the CRC is known.
#include "output/output_driver.h"

#include <cstring>
#include <new>

#include "base/file_io.h"
#include "base/messages.h"
#include "output/intel_hex_writer.h"
#include "output/record_text.h"
#include "output/s_record_writer.h"

namespace sumwright {

namespace {

// Writes the CRC digits that belong to `record` into its text and gives it a new checksum.
void FillIn(const PendingRecord& record, const char crcDigits[4], OutputWriter* writer) {
  std::string text = record.text;
  // The writers checked when they wrote the record that its code digits lie in its data.
  PatchCrcDigits(record.placement, record.start, writer->codeAddress, crcDigits,
                 &text[record.dataOffset], record.dataLength);
  FillChecksum(writer->format, &text[0], text.size());
  writer->file.WriteAt(record.offset, text.data(), text.size());
}

}  // namespace

void OpenOutput(const std::string& name, FileFormat format, uint32_t codeAddress,
                OutputWriter* writer) {
  writer->outputName = name;
  writer->format = format;
  writer->codeAddress = codeAddress;
  bool scratchLost = false;
  if (!writer->file.Create(name, &scratchLost)) {
    NoteFailure(writer,
                scratchLost ? OutputFailureKind::ScratchLost : OutputFailureKind::NotCreated);
  }
}

void WriteRecords(const ScanBatch& batch, OutputWriter* writer) {
  if (writer->failure.kind != OutputFailureKind::None) {
    return;
  }
  writer->lineEnd = batch.lineEnd;
  writer->lineEndLength = std::strlen(batch.lineEnd);
  try {
    if (writer->format == IntelHex) {
      WriteIntelHexRecords(batch, writer);
    } else {
      WriteSRecords(batch, writer);
    }
  } catch (const std::bad_alloc&) {
    // Memory for a copy of a record text.
    NoteFailure(writer, OutputFailureKind::InternalError,
                writer->format == IntelHex ? kIntelHexTextMemory : kSRecordTextMemory);
  }
  if (writer->file.failed) {
    NoteFailure(writer, OutputFailureKind::WriteFailed);
  }
}

void EndOnOutputFailure(OutputWriter* writer) {
  if (writer->failure.kind == OutputFailureKind::WriteFailed) {
    writer->file.EndProcessIfWriteFailed();  // ends the process
  }
  if (writer->failure.kind == OutputFailureKind::InternalError) {
    writer->file.Discard();
    ReportInternalError(writer->failure.place);
  }
}

bool WriteOutput(uint32_t crcValue, ByteOrder byteOrder, OutputWriter* writer) {
  EndOnOutputFailure(writer);
  if (writer->failure.kind == OutputFailureKind::NotCreated) {
    Message(kL3300CannotOpenFile, writer->outputName.c_str());
    return false;
  }
  if (writer->failure.kind == OutputFailureKind::ScratchLost) {
    // The stream is fine; the folder for the file its output is gathered in is not.
    Message(kL3300CannotOpenFile, ScratchDirectory().c_str());
    return false;
  }
  if (writer->failure.kind == OutputFailureKind::Unpatchable || !FieldPlaced(writer->field)) {
    // No record gives the code field a place: no output at all.
    writer->file.Discard();
    return false;
  }
  char crcDigits[4];
  CrcDigits(crcValue, byteOrder, crcDigits);
  for (const PendingRecord& record : writer->holders) {
    FillIn(record, crcDigits, writer);
  }
  for (const PendingRecord& record : writer->insertion.records) {
    FillIn(record, crcDigits, writer);
  }
  if (!writer->file.Commit()) {
    Message(kL3300CannotOpenFile, writer->outputName.c_str());
    return false;
  }
  Message(kL0500GeneratedCrc, writer->codeAddress);
  return true;
}

void AbandonOutput(OutputWriter* writer) {
  if (writer->failure.kind != OutputFailureKind::NotCreated &&
      writer->failure.kind != OutputFailureKind::ScratchLost) {
    writer->file.Discard();
  }
}

}  // namespace sumwright
