// Runs the real stages of the program over an input, wired as the driver wires them.
#include "support/pipeline_run.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "crc/crc_engine.h"
#include "input/input_scan.h"
#include "output/output_driver.h"

namespace sumwright {

namespace {

template <typename Line>
void Collect(const ScanBatch& batch, const std::vector<Line>& lines, ScanRun* run) {
  for (const Line& line : lines) {
    if (line.text < batch.begin || line.text + line.length > batch.end) {
      ADD_FAILURE() << "a record text lies outside its batch";
      continue;
    }
    uint64_t offset = batch.fileOffset + static_cast<uint64_t>(line.text - batch.begin);
    run->records.push_back(ScannedRecord{std::string(line.text, line.length), offset, line.address,
                                         line.type, line.placement});
  }
}

}  // namespace

ScanRun ScanSource(ByteSource* source, const std::string& name, uint32_t codeAddress) {
  ScanRun run;
  testing::internal::CaptureStderr();
  InputScan scan;
  run.opened = OpenInputScan(source, name, codeAddress, &scan);
  if (run.opened) {
    ScanBatch batch;
    while (ScanInput(&scan, &batch)) {
      EXPECT_TRUE(scan.format == SRecord ? batch.intelHexLines.empty()
                                         : batch.sRecordLines.empty());
      Collect(batch, batch.intelHexLines, &run);
      Collect(batch, batch.sRecordLines, &run);
    }
    run.accepted = FinishInputScan(&scan);
  }
  run.messages = testing::internal::GetCapturedStderr();
  run.format = scan.format;
  run.lineEnd = scan.lineEnd;
  return run;
}

ScanRun ScanText(const std::string& text, uint32_t codeAddress) {
  ByteSource source;
  SourceFromText(text, &source);
  ScanRun run = ScanSource(&source, "in.hex", codeAddress);
  for (const ScannedRecord& record : run.records) {
    EXPECT_EQ(text.substr(record.offset, record.text.size()), record.text)
        << "record at offset " << record.offset;
  }
  return run;
}

std::string RecordRows(const ScanRun& run) {
  std::string rows;
  for (const ScannedRecord& record : run.records) {
    rows += RecordRow(run.format, record.type, record.address, record.placement) + " |" +
            record.text + "|\n";
  }
  return rows;
}

CrcRun CrcOfSource(ByteSource* source, CrcAlgorithm algorithm,
                   const std::vector<AddressRange>& ranges,
                   const std::function<void()>& beforeCompute) {
  CrcRun run;
  InputScan scan;
  if (!OpenInputScan(source, "in.hex", kFarCodeAddress, &scan)) {
    ADD_FAILURE() << "the input was refused";
    return run;
  }
  CrcEngine engine;
  run.started = StartCrc(algorithm, ranges, &engine);
  ScanBatch batch;
  while (ScanInput(&scan, &batch)) {
    if (run.started) {
      FeedCrc(batch, &engine);
    }
  }
  run.accepted = FinishInputScan(&scan);
  EXPECT_TRUE(run.accepted) << "the input was refused";
  run.inOrder = engine.inOrder;
  if (beforeCompute) {
    beforeCompute();
  }
  run.computed = run.accepted && run.started && Compute(&engine, source, scan.format, &run.crc);
  return run;
}

CrcRun CrcOfText(const std::string& text, CrcAlgorithm algorithm,
                 const std::vector<AddressRange>& ranges,
                 const std::function<void()>& beforeCompute) {
  ByteSource source;
  SourceFromText(text, &source);
  return CrcOfSource(&source, algorithm, ranges, beforeCompute);
}

bool WriteStages(const std::string& input, uint32_t codeAddress, uint32_t crc, ByteOrder order,
                 const std::string& outputPath) {
  ByteSource source;
  SourceFromText(input, &source);
  InputScan scan;
  if (!OpenInputScan(&source, "in.hex", codeAddress, &scan)) {
    return false;
  }
  OutputWriter writer;
  OpenOutput(outputPath, scan.format, codeAddress, &writer);
  ScanBatch batch;
  while (ScanInput(&scan, &batch)) {
    WriteRecords(batch, &writer);
  }
  if (!FinishInputScan(&scan)) {
    AbandonOutput(&writer);
    return false;
  }
  return WriteOutput(crc, order, &writer);
}

WriteRun WriteThrough(const TempDir& dir, const std::string& input, uint32_t codeAddress,
                      uint32_t crc, ByteOrder order, const std::string& outputName) {
  WriteRun run;
  testing::internal::CaptureStderr();
  run.written = WriteStages(input, codeAddress, crc, order, dir.Path(outputName));
  run.messages = testing::internal::GetCapturedStderr();
  run.output = dir.Read(outputName);
  run.listing = dir.Listing();
  return run;
}

WriteRun WriteThrough(const std::string& input, uint32_t codeAddress, uint32_t crc, ByteOrder order,
                      const std::string& outputName) {
  TempDir dir;
  return WriteThrough(dir, input, codeAddress, crc, order, outputName);
}

void ExpectWrites(const std::vector<WriteCase>& cases, uint32_t crc,
                  const std::string& outputName) {
  for (const WriteCase& c : cases) {
    WriteRun run = WriteThrough(c.input, c.codeAddress, crc, c.order, outputName);
    EXPECT_TRUE(run.written) << run.messages;
    EXPECT_TRUE(SameText(c.expected, run.output))
        << "code address " << std::hex << c.codeAddress << ", input " << c.input.substr(0, 200);
  }
}

testing::AssertionResult SameText(const std::string& expected, const std::string& actual) {
  if (expected == actual) {
    return testing::AssertionSuccess();
  }
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) {
    ++at;
  }
  size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
  lineStart = lineStart == std::string::npos || at == 0 ? 0 : lineStart + 1;
  auto line = [lineStart](const std::string& text) {
    return text.substr(lineStart, text.find('\n', lineStart) - lineStart);
  };
  return testing::AssertionFailure()
         << "texts of " << expected.size() << " and " << actual.size() << " bytes differ from byte "
         << at << " on, in the line\n  expected: " << line(expected)
         << "\n  actual:   " << line(actual);
}

}  // namespace sumwright
