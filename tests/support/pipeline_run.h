// Runs the real stages of the program over an input, wired as the driver wires them: the input
// scan alone, the scan feeding the CRC, the scan feeding the output writer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/byte_source.h"
#include "base/crc_request.h"
#include "input/record_lines.h"
#include "support/record_reading.h"
#include "support/temp_dir.h"

namespace sumwright {

// A code address far from every record the CRC tests use.
constexpr uint32_t kFarCodeAddress = 0x7FFFFFF0;

// One record the scan handed out, copied out of its chunk.
struct ScannedRecord {
  std::string text;  // without its line end
  uint64_t offset;   // where the text starts in the input
  uint32_t address;
  uint8_t type;
  CodePlacement placement;
};

struct ScanRun {
  bool opened = false;    // the first character named a form
  bool accepted = false;  // and the whole input was scanned and accepted
  FileFormat format = NoFormat;
  std::string lineEnd;                 // the line end of the input's first line
  std::vector<ScannedRecord> records;  // in file order
  std::string messages;                // everything printed
};

// Scans `source` (named `name` in messages) for the code field at `codeAddress`. Fails the test
// when a batch breaks its promises: a record text outside the batch, records of the other form.
ScanRun ScanSource(ByteSource* source, const std::string& name, uint32_t codeAddress);

// Scans `text` under the name "in.hex"; also fails the test when a record's offset does not
// lead to its text in `text`.
ScanRun ScanText(const std::string& text, uint32_t codeAddress);

// One row per record, its RecordRow and "|text|", for whole comparisons.
std::string RecordRows(const ScanRun& run);

struct CrcRun {
  bool accepted = false;  // the scan accepted the input (refusals fail the test)
  bool started = false;   // StartCrc accepted the algorithm and the ranges
  bool computed = false;  // Compute gave a CRC
  bool inOrder = true;    // the data records ascended and were fed while scanned
  uint32_t crc = 0xDEAD0000;
};

// Scans `source` (code address kFarCodeAddress) feeding the CRC of `algorithm` over `ranges`,
// then computes it; `beforeCompute`, when given, runs between the end of the scan and Compute.
// Prints what the stages print; nothing is captured, so that death tests see it.
CrcRun CrcOfSource(ByteSource* source, CrcAlgorithm algorithm,
                   const std::vector<AddressRange>& ranges,
                   const std::function<void()>& beforeCompute = nullptr);
CrcRun CrcOfText(const std::string& text, CrcAlgorithm algorithm,
                 const std::vector<AddressRange>& ranges,
                 const std::function<void()>& beforeCompute = nullptr);

// Scans `input` for the code field at `codeAddress` and writes the output file `outputPath` with
// the CRC value `crc` in `order`, abandoning it when the scan fails. Returns what the output
// stage returned; prints what the stages print.
bool WriteStages(const std::string& input, uint32_t codeAddress, uint32_t crc, ByteOrder order,
                 const std::string& outputPath);

struct WriteRun {
  bool written = false;
  std::string output;    // the whole output file; "" when there is none
  std::string messages;  // what the stages printed
  std::string listing;   // the directory afterwards: what the writer left
};

// WriteStages into `outputName` of `dir` (a fresh directory when none is given), with what it
// printed and left there.
WriteRun WriteThrough(const TempDir& dir, const std::string& input, uint32_t codeAddress,
                      uint32_t crc, ByteOrder order, const std::string& outputName = "out.hex");
WriteRun WriteThrough(const std::string& input, uint32_t codeAddress, uint32_t crc, ByteOrder order,
                      const std::string& outputName = "out.hex");

// An input, the code address, the whole output file expected, and the CRC's byte order.
struct WriteCase {
  std::string input;
  uint32_t codeAddress;
  std::string expected;
  ByteOrder order = BigEndian;
};
// WriteThrough of every case with the CRC value `crc` into `outputName`: each must be written,
// and give the expected file.
void ExpectWrites(const std::vector<WriteCase>& cases, uint32_t crc = 0x1234,
                  const std::string& outputName = "out.hex");

// Whole-text comparison of large outputs that names only the first line that differs.
testing::AssertionResult SameText(const std::string& expected, const std::string& actual);

}  // namespace sumwright
