// A second thread that runs one job at a time while the caller goes on with other work.
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace sumwright {

struct BackgroundJob {
  using Function = void (*)(void* argument);

  std::mutex mutex;
  std::condition_variable changed;
  std::thread thread;
  bool started = false;  // the thread runs; when it could not be made, jobs run in the caller
  bool busy = false;
  bool stopping = false;
  Function function = nullptr;
  void* argument = nullptr;
  // What a job threw (memory that could not be had), passed on to the caller.
  std::exception_ptr failure;

  BackgroundJob() = default;
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;
  // Waits for the job under way and ends the thread.
  ~BackgroundJob();
};

// Runs function(argument) on the second thread, after the job before it has ended. The job must
// not poll for Ctrl+C or end the process: only the calling thread does. The thread gets no
// signals, so that Ctrl+C interrupts the caller's waits.
void StartJob(BackgroundJob* job, BackgroundJob::Function function, void* argument);

// Returns once the job under way (if any) has ended. Both rethrow, on the calling thread, what
// an earlier job threw.
void WaitForJob(BackgroundJob* job);

}  // namespace sumwright
