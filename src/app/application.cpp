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

struct CrcJob {
  const ScanBatch* batch;
  CrcEngine* crc;
};

void FeedCrcJob(void* argument) {
  auto* job = static_cast<CrcJob*>(argument);
  FeedCrc(*job->batch, job->crc);
}

// The input is read once, a chunk at a time. Each chunk's records go to the CRC, on a second
// thread, and to the output, while the next chunk is read; the scan keeps a batch's records
// valid until the batch after the next is scanned.
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
  ScanBatch batches[2];
  CrcJob jobs[2];
  BackgroundJob crcThread;
  for (int turn = 0; ScanInput(&scan, &batches[turn]); turn ^= 1) {
    if (crcStarted) {
      jobs[turn] = CrcJob{&batches[turn], &crc};
      StartJob(&crcThread, FeedCrcJob, &jobs[turn]);
    }
    WriteRecords(batches[turn], &output);
  }
  WaitForJob(&crcThread);
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
