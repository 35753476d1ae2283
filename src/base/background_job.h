// SPDX-License-Identifier: MIT
// A second thread that runs jobs in the order they are handed to it while the caller goes on
// with other work.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>

namespace sumwright {

struct BackgroundJob {
  using Function = void (*)(void* argument);
  // How many jobs may be handed over and not yet finished.
  static constexpr size_t kMostPending = 3;

  std::mutex mutex;
  std::condition_variable changed;
  std::thread thread;
  enum class Thread {
    NotMade,      // made at the first job
    Running,      // takes the jobs
    Unavailable,  // could not be made: each job runs in the caller, at once (no second attempt)
  };
  Thread threadState = Thread::NotMade;
  bool stopping = false;  // the destructor asks the running thread to end
  struct Job {
    Function function;
    void* argument;
  };
  Job jobs[kMostPending] = {};
  size_t first = 0;    // the job the thread runs or runs next
  size_t pending = 0;  // jobs handed over and not finished
  // What a job threw (memory that could not be had), passed on to the caller.
  std::exception_ptr failure;

  BackgroundJob() = default;
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;
  // Waits for the jobs handed over and ends the thread.
  ~BackgroundJob();
};

// Hands function(argument) to the second thread, once fewer than kMostPending jobs are
// unfinished; so when it returns, every job handed over kMostPending calls ago has finished. A
// job must not poll for Ctrl+C or end the process: only the calling thread does. The thread
// gets no signals, so that Ctrl+C interrupts the caller's waits.
void StartJob(BackgroundJob* job, BackgroundJob::Function function, void* argument);

// Returns once every job handed over has finished. Both rethrow, on the calling thread, what an
// earlier job threw (once). Without a second thread, a job runs in StartJob, and what it throws
// leaves StartJob.
void WaitForJob(BackgroundJob* job);

}  // namespace sumwright
