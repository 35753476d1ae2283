// The state of one output, shared by the output driver and the two format writers, and the
// ways they put lines into the output.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/messages.h"
#include "input/input_scan.h"
#include "input/record_lines.h"
#include "output/output_file.h"

namespace sumwright {

// A written record whose CRC digits (and so its checksum) are filled in once the CRC is known.
struct PendingRecord {
  uint64_t offset;          // where its text starts in the output
  std::string text;         // the record text as written so far
  size_t dataOffset;        // where its data digits start in the text
  size_t dataLength;        // how many data digits it has
  uint32_t start;           // the address of its first data byte
  CodePlacement placement;  // which code bytes it holds: Within both, SplitFirst c, SplitSecond c+1
};

struct OutputWriter {
  OutputFile file;
  bool created = false;  // the temporary file exists
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

  // True until both code bytes have a place in the output.
  bool crcPending = true;
  bool firstByteWritten = false;
  bool secondByteWritten = false;
  // A record of the input holds a code byte: the CRC goes into every such record, and a CRC
  // record inserted before one turned up is taken out again.
  bool holderSeen = false;
  std::vector<PendingRecord> holders;
  // The CRC records inserted in front of the first record placed After: where they stand in
  // the output, and the input lines that identical address records among them replaced.
  bool inserted = false;
  uint64_t insertStart = 0;
  uint64_t insertEnd = 0;
  std::vector<PendingRecord> insertedRecords;
  std::string replacedLines;
  // A record holding a code byte could not be patched: no output is written.
  bool failed = false;
  // A state the writer cannot handle, as the internal-error category and location the main
  // thread reports; 0 while there is none. The writer may run on a second thread, which must
  // not end the process itself.
  std::atomic<int> errorCategory{0};
  std::atomic<int> errorLocation{0};

  // Intel HEX: the base address a record written now would land under, and the base the input's
  // own records count on once the inserted records are behind them.
  ExtendedAddressState outputAddressState;
  ExtendedAddressState inputAddressState;
  // Intel HEX: set once an extended linear address record was written for the code field.
  bool linearRecordIssued = false;
  // Intel HEX: after inserted address records, the record that gives the input's records their
  // extended address back, waiting until a data record shows it is needed; and where it went.
  bool restorePending = false;
  ExtendedAddressState restoreState;
  bool restoreWritten = false;
  uint64_t restoreStart = 0;
  size_t restoreLength = 0;

  // S-records: the generated header has been written.
  bool sRecordHeaderWritten = false;
};

// Writes the lines gathered so far.
void FlushSpan(OutputWriter* writer);

// True when every line of `batch` is copied unchanged, as the writer stands: nothing awaits a
// record of the batch, no record of it holds a code byte, and none is where a CRC record would be
// inserted. The writer then takes the batch's bytes in one piece (CopyBatch).
bool BatchCopiedWhole(const ScanBatch& batch, const OutputWriter& writer);
void CopyBatch(OutputWriter* writer, const ScanBatch& batch);

// Writes a text and the line end.
void WriteLine(OutputWriter* writer, const char* text, size_t length);

// Writes an input line unchanged: gathered with the lines before it when the input ends it with
// the output's line end, else written with that line end.
void CopyLine(OutputWriter* writer, const ScanBatch& batch, const char* text, size_t length);

// Writes `text` as a line whose code digits are filled in later, and keeps it in *records.
void WritePendingRecord(OutputWriter* writer, std::vector<PendingRecord>* records,
                        const std::string& text, size_t dataOffset, size_t dataLength,
                        uint32_t start, CodePlacement placement);

// Keeps the first internal error met; the main thread reports it.
void NoteInternalError(OutputWriter* writer, ErrorPlace place);

// Marks the code bytes a record of `placement` received; clears crcPending once both have.
void NoteCodeBytesWritten(OutputWriter* writer, CodePlacement placement);

// Takes the inserted CRC records (and a restoring address record) out of the output again and
// puts back the input lines they replaced: a record holding a code byte came after them.
void UndoInsertion(OutputWriter* writer);

// The checksum placeholder at the end of a record text, filled in by the rule of `format`.
void FillChecksum(FileFormat format, char* record, size_t length);

}  // namespace sumwright
