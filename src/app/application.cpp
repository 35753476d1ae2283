// The run: the option state and the fixed order of the job.
#include "app/application.h"

#include <cstdio>

#include "base/background_job.h"
#include "base/byte_source.h"
#include "base/messages.h"
#include "crc/crc_engine.h"
#include "input/input_scan.h"
#include "options/command_line.h"
#include "options/crc_option.h"
#include "output/output_driver.h"

namespace sumwright {

namespace {

// Options, then the range list; a fatal option error ends the stage at once. The input is
// opened into *input.
bool RunOptionStage(int argc, char** argv, OptionState* options, ByteSource* input) {
  try {
    return ParseCommandLine(argc, argv, options, input) && ParseRangeList(options);
  } catch (const OptionAbort&) {
    return false;
  }
}

// What the second thread does with one batch: feed the CRC and write the output.
struct BatchJob {
  const ScanBatch* batch;
  CrcEngine* crc;
  OutputWriter* output;
};

void RunBatchJob(void* argument) {
  auto* job = static_cast<BatchJob*>(argument);
  FeedCrc(*job->batch, job->crc);
  WriteRecords(*job->batch, job->output);
}

// The input is read once, a chunk at a time. Each chunk's records go to the CRC and to the
// output on a second thread, while the main thread reads and scans the chunks after it. The
// whole input is scanned before anything is reported of the output, so that a fault of the
// input always gives its own message, wherever it lies.
bool RunStages(int argc, char** argv, OptionState* options) {
  ByteSource input;
  if (!RunOptionStage(argc, argv, options, &input)) {
    return false;
  }
  if (!CheckRanges(options)) {
    return false;
  }
  InputScan scan;
  if (!OpenInputScan(&input, options->inputName, options->codeAddress, &scan)) {
    return false;
  }
  CrcEngine crc;
  // Cannot fail: the range check refuses an empty range list, and the options know only the two
  // algorithms.
  StartCrc(options->crcAlgorithm, options->ranges, &crc);
  OutputWriter output;
  OpenOutput(options->outputName, scan.format, options->codeAddress, &output);
  // A batch must outlive its job: the second thread has finished it once kMostPending further
  // jobs were handed over, and the scan keeps it until kScanBuffers further batches are read.
  static_assert(kScanBuffers > BackgroundJob::kMostPending, "batches must outlive their jobs");
  ScanBatch batches[kScanBuffers];
  BatchJob jobs[kScanBuffers];
  BackgroundJob batchThread;
  for (size_t turn = 0; ScanInput(&scan, &batches[turn]); turn = (turn + 1) % kScanBuffers) {
    jobs[turn] = BatchJob{&batches[turn], &crc, &output};
    StartJob(&batchThread, RunBatchJob, &jobs[turn]);
  }
  WaitForJob(&batchThread);
  if (!FinishInputScan(&scan)) {
    AbandonOutput(&output);
    return false;
  }
  EndOnOutputFailure(&output);
  uint32_t crcValue = 0;
  if (!Compute(&crc, &input, scan.format, &crcValue)) {
    AbandonOutput(&output);
    return false;
  }
  return WriteOutput(crcValue, options->byteOrder, &output);
}

}  // namespace

bool Application::Run(int argc, char** argv) {
  std::fputs(kBanner, stderr);
  bool completed = RunStages(argc, argv, &options);
  // The end line stands after an empty line and ends with a line end.
  std::fputs("\n", stderr);
  std::fputs(completed ? kCompleted : kAbort, stderr);
  std::fputs("\n", stderr);
  return completed;
}

}  // namespace sumwright
