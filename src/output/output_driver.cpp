// Writes the output file: the records of the scanned input with the CRC at the code field,
// through a temporary file that replaces the output name only when it is complete.
#include <cstring>

#include "base/interrupt.h"
#include "base/messages.h"
#include "input/code_placement.h"
#include "input/hex_file.h"
#include "output/intel_hex_writer.h"
#include "output/output_file.h"
#include "output/record_text.h"
#include "output/s_record_writer.h"
#include "output/writer_state.h"

namespace sumwright {

namespace {

// True when some record holds a byte of the code field, wherever it stands in the list.
template <typename Line>
bool AnyCodeHolder(const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (HoldsCodeByte(line.placement)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool HexFile::WriteOutput(const std::string& name, uint32_t crcValue, ByteOrder byteOrder) {
  bool (*step)(const HexFile&, WriterState*) = nullptr;
  WriterState state;
  if (format == IntelHex) {
    step = IntelHexStep;
    state.codeHolderFound = AnyCodeHolder(intelHexLines);
  } else if (format == SRecord) {
    step = SRecordStep;
    state.codeHolderFound = AnyCodeHolder(sRecordLines);
  } else {
    return false;
  }
  OutputFile file;
  if (!file.Create(name)) {
    Message(kL3300CannotOpenFile, name.c_str());
    return false;
  }
  state.file = &file;
  state.inputBegin = inputText.data();
  state.inputEnd = inputText.data() + inputText.size();
  state.lineEnd = lineEnd;
  state.lineEndLength = std::strlen(lineEnd);
  state.outputName = name;
  state.codeAddress = CrcCodeAddress;
  CrcDigits(crcValue, byteOrder, state.crcDigits);
  bool more = true;
  while (more) {
    PollInterrupt();
    more = step(*this, &state);
  }
  if (state.crcPending) {
    // No record gives the code field a place: no output at all.
    file.Discard();
    return false;
  }
  if (!file.Commit()) {
    Message(kL3300CannotOpenFile, name.c_str());
    return false;
  }
  Message(kL0500GeneratedCrc, CrcCodeAddress);
  return true;
}

}  // namespace sumwright
