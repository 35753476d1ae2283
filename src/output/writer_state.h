// The state of one output run, shared by the output driver and the two format writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "input/record_lines.h"
#include "output/output_file.h"

namespace sumwright {

struct WriterState {
  OutputFile* file = nullptr;
  // The input's line end, put after every written line.
  const char* lineEnd = "\n";
  size_t lineEndLength = 1;
  // The input buffer that the record texts point into.
  const char* inputBegin = nullptr;
  const char* inputEnd = nullptr;
  // The output name, from which the S-record header is built.
  std::string outputName;
  // The code address c; the code field is the bytes at c and c + 1.
  uint32_t codeAddress = 0;
  // The CRC digits in byte order: the first pair for the byte at c, the second for c + 1.
  char crcDigits[4] = {'0', '0', '0', '0'};
  // True until both code bytes have been written.
  bool crcPending = true;
  // Some record of the list holds a code byte: the CRC goes into every such record, and no
  // CRC record is inserted anywhere.
  bool codeHolderFound = false;
  bool firstByteWritten = false;
  bool secondByteWritten = false;
  // Index of the record to be handled next.
  size_t cursor = 0;
  // Intel HEX: the extended address in effect at the current position of the output.
  ExtendedAddressState outputAddressState;
  // Intel HEX: set once an extended linear address record was written for the code field.
  bool linearRecordIssued = false;
  // Intel HEX: the extended address that the input's records from the cursor on expect.
  ExtendedAddressState inputAddressState;
  // S-records: the generated header has been written.
  bool sRecordHeaderWritten = false;

  void WriteLine(const char* text, size_t length) {
    file->WriteLine(text, length, lineEnd, lineEndLength);
  }
  // Writes a record text exactly as it was read.
  void CopyLine(const char* text, size_t length) {
    file->CopyInputLine(text, length, lineEnd, lineEndLength, inputBegin, inputEnd);
  }
  // Marks the code bytes a holder of `placement` received; clears crcPending once both were.
  void NoteCodeBytesWritten(CodePlacement placement) {
    firstByteWritten = firstByteWritten || placement == Within || placement == SplitFirst;
    secondByteWritten = secondByteWritten || placement == Within || placement == SplitSecond;
    crcPending = !(firstByteWritten && secondByteWritten);
  }
};

// True for the placements of records that hold a byte of the code field.
inline bool HoldsCodeByte(CodePlacement placement) {
  return placement == Within || placement == SplitFirst || placement == SplitSecond;
}

}  // namespace sumwright
