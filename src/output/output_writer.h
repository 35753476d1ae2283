// The state of one output, shared by the output driver and the two format writers: the code
// field's progress, the records whose CRC digits are filled in at the end, the failure to report,
// and the ways the writers put lines into the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/messages.h"
#include "input/input_scan.h"
#include "input/record_lines.h"
#include "output/intel_hex_writer.h"
#include "output/output_file.h"
#include "output/s_record_writer.h"

namespace sumwright {

// The progress of the code field (the bytes at the code address c and at c + 1) through the
// output. FieldStepFor gives every transition.
enum class CodeFieldState {
  Waiting,        // no record has given the code field a place yet
  Inserted,       // CRC records stand in front of the first record placed After; undone when a
                  // record holding a code byte comes later (the input does not ascend)
  FirstByteHeld,  // an input record holds the byte at c; the one holding c + 1 is still to come
  Held,           // input records hold both code bytes; each such record gets its CRC digits
};

// What a format writer does with a record, as the code field stands.
enum class FieldAction {
  Copy,          // the record is written as it is
  InsertBefore,  // CRC records go in front of it, then it is written
  Patch,         // it holds a code byte: it is written with the CRC digits of the bytes it holds
  UndoAndPatch,  // the inserted CRC records are taken out again, then Patch
};

struct FieldStep {
  FieldAction action;
  CodeFieldState next;
};

// The one place where the code field's state changes: the action for a record of `placement`
// in `state`, and the state after it.
FieldStep FieldStepFor(CodeFieldState state, CodePlacement placement);

// True once both code bytes have a place in the output.
bool FieldPlaced(CodeFieldState state);

// A written record whose CRC digits (and so its checksum) are filled in once the CRC is known.
struct PendingRecord {
  uint64_t offset;          // where its text starts in the output
  std::string text;         // the record text as written so far
  size_t dataOffset;        // where its data digits start in the text
  size_t dataLength;        // how many data digits it has
  uint32_t start;           // the address of its first data byte
  CodePlacement placement;  // which code bytes it holds: Within both, SplitFirst c, SplitSecond c+1
};

// The CRC records inserted in front of the first record placed After: where they stand in the
// output (with an Intel HEX record after them that restores the input's extended address), and
// the input lines that identical address records among them stand in for.
// Reset or undone, the insertion goes whole, its Intel HEX address records with it.
struct CrcInsertion {
  uint64_t start = 0;
  uint64_t end = 0;
  std::vector<PendingRecord> records;
  std::string replacedLines;
  // Intel HEX: an extended linear address record was written for the code field (at most one).
  bool linearRecordIssued = false;
  // Intel HEX: the record that gives the input's records their extended address back after the
  // inserted address records, waiting until a data record shows it is needed.
  bool restorePending = false;
  ExtendedAddressState restore;
};

// What made the output impossible, kept for the main thread to report once the writer has
// stopped: the writer may run on a second thread, which must not end the process.
enum class OutputFailureKind {
  None,
  NotCreated,     // the temporary file could not be made: L3300 with the output name
  ScratchLost,    // the scratch file that a stream's output is gathered in could not be made:
                  // L3300 with the directory for temporary files
  WriteFailed,    // a write failed: internal error (6, 83), or L3410 after Ctrl+C
  InternalError,  // memory ran out, or a state the writer cannot handle: L4000 at `place`
  Unpatchable,    // an S-record holding a code byte could not take it: the abort line alone
};

struct OutputFailure {
  OutputFailureKind kind = OutputFailureKind::None;
  ErrorPlace place{0, 0};  // for InternalError
};

struct OutputWriter {
  OutputFile file;
  std::string outputName;
  FileFormat format = NoFormat;
  // The code address c; the code field is the bytes at c and c + 1.
  uint32_t codeAddress = 0;
  // The input's first line end, put after every written line.
  const char* lineEnd = "\n";
  size_t lineEndLength = 1;
  // Input lines that the output takes unchanged, gathered to be written from the scan's chunk
  // in one piece.
  const char* spanStart = nullptr;
  const char* spanEnd = nullptr;

  CodeFieldState field = CodeFieldState::Waiting;
  std::vector<PendingRecord> holders;  // the input records that hold a code byte
  CrcInsertion insertion;              // while field is Inserted
  OutputFailure failure;               // the first failure; nothing is written after it

  IntelHexWriter intelHex;
  SRecordWriter sRecord;
};

// Keeps the first failure met: nothing more is written.
void NoteFailure(OutputWriter* writer, OutputFailureKind kind, ErrorPlace place = ErrorPlace{0, 0});

// A record holding a code byte whose digits cannot take it. The scan refuses such records, so
// this cannot happen; should it, Intel HEX output reports internal error `place`, while S-record
// output ends with the abort line alone, as S-record refusals always have.
void NoteUnpatchable(OutputWriter* writer, ErrorPlace place);

// Writes the lines gathered so far.
void FlushSpan(OutputWriter* writer);

// True when every line of `batch` is copied unchanged, as the writer stands: no record of it
// holds a code byte, none is where a CRC record would be inserted, and nothing awaits a record of
// it. The writer then takes the batch's bytes in one piece (CopyBatch).
bool BatchCopiedWhole(const ScanBatch& batch, const OutputWriter& writer);
void CopyBatch(OutputWriter* writer, const ScanBatch& batch);

// Writes the records of a batch that is not copied whole one by one, in file order, with
// write(line, batch, writer), until a failure is noted; then the lines gathered so far.
template <typename Line, typename Write>
void WriteEachRecord(const ScanBatch& batch, const std::vector<Line>& lines, OutputWriter* writer,
                     Write write) {
  for (const Line& line : lines) {
    if (writer->failure.kind != OutputFailureKind::None) {
      break;
    }
    write(line, batch, writer);
  }
  FlushSpan(writer);
}

// Writes a text and the line end.
void WriteLine(OutputWriter* writer, const char* text, size_t length);

// Writes an input line unchanged: gathered with the lines before it when the input ends it with
// the output's line end, else written with that line end.
void CopyLine(OutputWriter* writer, const ScanBatch& batch, const char* text, size_t length);

// Writes `text` as a line whose code digits are filled in later, and keeps it in *records.
void WritePendingRecord(OutputWriter* writer, std::vector<PendingRecord>* records,
                        const std::string& text, size_t dataOffset, size_t dataLength,
                        uint32_t start, CodePlacement placement);

// Writes `record`, an input record of `placement` that holds a code byte, to be given the CRC
// digits of the bytes it holds: its data digits are the `dataLength` characters at `dataOffset`,
// for the bytes from `start` on. When they do not reach the code bytes, writes nothing and notes
// NoteUnpatchable at (6, 102).
void WriteHolder(OutputWriter* writer, const std::string& record, size_t dataOffset,
                 size_t dataLength, uint32_t start, CodePlacement placement);

// Starts the CRC records in front of the record being handled, and ends them: everything written
// in between is the insertion.
void StartInsertion(OutputWriter* writer);
void EndInsertion(OutputWriter* writer);

// Takes the inserted CRC records (with an Intel HEX record restoring the input's address, written
// or pending) out of the output again and puts back the input lines they stood in for: a record
// holding a code byte came after them.
void UndoInsertion(OutputWriter* writer);

// The checksum placeholder at the end of a record text, filled in by the rule of `format`.
void FillChecksum(FileFormat format, char* record, size_t length);

}  // namespace sumwright
