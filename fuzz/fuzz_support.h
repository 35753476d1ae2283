// Helpers shared by the fuzz targets: the real scan over a text, checks of promises, a quiet
// stderr, a work directory.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/byte_source.h"
#include "input/input_scan.h"

namespace sumwright {

// A broken promise of the code under test: names it and ends the run as a crash that the fuzzer
// reports with the input.
inline void FuzzCheck(bool holds, const char* promise) {
  if (!holds) {
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::fflush(stderr);
    std::abort();
  }
}

// Runs the program's input scan over the text [data, data + size) for the code field at
// `codeAddress` and calls `check(batch, record)` for every record of the form `Line` (IntelHexLine
// or SRecordLine) that it hands out, after checking what every batch promises: record texts
// inside the batch, none longer than the scan accepts, no records of the other form. Returns
// whether the whole text was scanned and accepted; false at once for a text of the other form.
template <typename Line, typename Check>
bool ForEachScannedRecord(const uint8_t* data, size_t size, uint32_t codeAddress, Check check) {
  constexpr bool kIntelHex = std::is_same_v<Line, IntelHexLine>;
  ByteSource source;
  SourceFromText(std::string_view(reinterpret_cast<const char*>(data), size), &source);
  InputScan scan;
  if (!OpenInputScan(&source, "fuzz", codeAddress, &scan) ||
      scan.format != (kIntelHex ? IntelHex : SRecord)) {
    return false;
  }
  ScanBatch batch;
  while (ScanInput(&scan, &batch)) {
    const std::vector<Line>* lines;
    if constexpr (kIntelHex) {
      lines = &batch.intelHexLines;
      FuzzCheck(batch.sRecordLines.empty(), "a batch holds records of the input's form only");
    } else {
      lines = &batch.sRecordLines;
      FuzzCheck(batch.intelHexLines.empty(), "a batch holds records of the input's form only");
    }
    for (const Line& line : *lines) {
      FuzzCheck(line.text >= batch.begin && line.text + line.length <= batch.end,
                "a record text lies inside its batch");
      FuzzCheck(line.length <= 522, "no record text is longer than 522 characters");
      check(batch, line);
    }
  }
  return FinishInputScan(&scan);
}

// A copy of a record text in a block of exactly its size, so that a read past its end is
// caught by the address sanitizer (the scan's chunk holds more bytes behind every line).
struct ExactCopy {
  std::unique_ptr<char[]> bytes;
  size_t length;
  ExactCopy(const char* text, size_t size) : bytes(new char[size == 0 ? 1 : size]), length(size) {
    std::memcpy(bytes.get(), text, size);
  }
  const char* text() const { return bytes.get(); }
};

// While it lives, the program's messages on the standard error stream go to /dev/null, so that
// the fuzzer's own report stays readable; a crash report is printed after it has ended.
struct QuietStandardError {
  int saved = -1;
  QuietStandardError() {
    std::fflush(stderr);
    saved = dup(2);
    int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) {
      dup2(null, 2);
    }
    if (null >= 0) {
      close(null);
    }
  }
  ~QuietStandardError() {
    std::fflush(stderr);
    if (saved >= 0) {
      dup2(saved, 2);
      close(saved);
    }
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;
};

// Checks what reading a scanned line again in order must give: a record that holds the copy's
// whole text, with the type, address and placement the scan gave it.
template <typename Line>
void CheckReadAgain(const Line& record, const ExactCopy& copy, const Line& scanned) {
  FuzzCheck(record.text == copy.text() && record.length == copy.length, "a record holds its line");
  FuzzCheck(record.type == scanned.type && record.address == scanned.address &&
                record.placement == scanned.placement,
            "reading a line again in order gives the record the scan gave");
}

// The argv of a run of the program: its name, each of `arguments` (which must outlive the
// result), and a null pointer.
inline std::vector<char*> ArgumentVector(std::vector<std::string>* arguments) {
  static char program[] = "sumwright";
  std::vector<char*> argv = {program};
  for (std::string& argument : *arguments) {
    argv.push_back(&argument[0]);
  }
  argv.push_back(nullptr);
  return argv;
}

// A directory of this run's own under /tmp, made at the first call; the same one afterwards.
inline const std::string& WorkDirectory() {
  static std::string directory;
  if (directory.empty()) {
    char pattern[] = "/tmp/swfuzzXXXXXX";  // No "-" in it: a token holding one is an option.
    if (mkdtemp(pattern) == nullptr) {
      std::abort();
    }
    directory = pattern;
  }
  return directory;
}

// True when a view handed out by a field accessor lies inside the line it was taken from.
inline bool InsideLine(std::string_view view, const char* line, size_t length) {
  return view.data() >= line && view.size() <= length && view.data() + view.size() <= line + length;
}

// The first four bytes as a code address (fewer bytes: what there is), consumed from the input.
inline uint32_t TakeCodeAddress(const uint8_t** data, size_t* size) {
  uint32_t address = 0;
  size_t count = *size < 4 ? *size : 4;
  for (size_t i = 0; i < count; ++i) {
    address = (address << 8) | (*data)[i];
  }
  *data += count;
  *size -= count;
  return address;
}

}  // namespace sumwright
