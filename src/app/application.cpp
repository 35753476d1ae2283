// The run: the option state and the fixed order of the job.
#include "app/application.h"

#include <cstdio>

#include "base/background_job.h"
#include "base/messages.h"
#include "crc/crc_engine.h"
#include "input/input_scan.h"
#include "options/command_line.h"
#include "options/crc_option.h"
#include "output/output_driver.h"

namespace sumwright {

namespace {

// Options, then the range list; a fatal option error ends the stage at once.
bool RunOptionStage(int argc, char** argv, OptionState* options) {
  try {
    return ParseCommandLine(argc, argv, options) && ParseRangeList(options);
  } catch (const OptionAbort&) {
    return false;
  }
}

// What the second thread does with one batch: feed the CRC and write the output.
struct BatchJob {
  const ScanBatch* batch;
  CrcEngine* crc;  // null when the CRC could not be started
  OutputWriter* output;
};

void RunBatchJob(void* argument) {
  auto* job = static_cast<BatchJob*>(argument);
  if (job->crc != nullptr) {
    FeedCrc(*job->batch, job->crc);
  }
  WriteRecords(*job->batch, job->output);
}

// The input is read once, a chunk at a time. Each chunk's records go to the CRC and to the
// output on a second thread, while the main thread reads and scans the chunks after it.
bool RunStages(int argc, char** argv, OptionState* options) {
  if (!RunOptionStage(argc, argv, options)) {
    return false;
  }
  if (!CheckRanges(options)) {
    return false;
  }
  InputScan scan;
  if (!OpenInputScan(&options->input, options->inputName, options->codeAddress, &scan)) {
    return false;
  }
  CrcEngine crc;
  bool crcStarted = StartCrc(options->crcAlgorithm, options->ranges, &crc);
  OutputWriter output;
  OpenOutput(options->outputName, scan.format, options->codeAddress, &output);
  // A batch must outlive its job: the second thread has finished it once kMostPending further
  // jobs were handed over, and the scan keeps it until kScanBuffers further batches are read.
  static_assert(kScanBuffers > BackgroundJob::kMostPending, "batches must outlive their jobs");
  ScanBatch batches[kScanBuffers];
  BatchJob jobs[kScanBuffers];
  BackgroundJob batchThread;
  for (size_t turn = 0; ScanInput(&scan, &batches[turn]); turn = (turn + 1) % kScanBuffers) {
    jobs[turn] = BatchJob{&batches[turn], crcStarted ? &crc : nullptr, &output};
    StartJob(&batchThread, RunBatchJob, &jobs[turn]);
    // A write that failed ends the run before any later message, as it would have at once.
    if (OutputFailed(output)) {
      WaitForJob(&batchThread);
      ReportOutputFailure(&output);
    }
  }
  WaitForJob(&batchThread);
  if (OutputFailed(output)) {
    ReportOutputFailure(&output);
  }
  uint32_t crcValue = 0;
  if (!FinishInputScan(&scan) || !crcStarted ||
      !Compute(&crc, &options->input, scan.format, &crcValue)) {
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
