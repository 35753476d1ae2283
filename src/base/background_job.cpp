// A second thread that runs one job at a time while the caller goes on with other work.
#include "base/background_job.h"

#include <system_error>

#if !defined(_WIN32)
#include <signal.h>
#endif

namespace sumwright {

namespace {

void Serve(BackgroundJob* job) {
  std::unique_lock<std::mutex> lock(job->mutex);
  for (;;) {
    job->changed.wait(lock, [job] { return job->busy || job->stopping; });
    if (!job->busy) {
      return;
    }
    BackgroundJob::Function function = job->function;
    void* argument = job->argument;
    lock.unlock();
    std::exception_ptr failure;
    try {
      function(argument);
    } catch (...) {
      // An exception that left the thread would end the process without a message.
      failure = std::current_exception();
    }
    lock.lock();
    if (failure != nullptr && job->failure == nullptr) {
      job->failure = failure;
    }
    job->busy = false;
    job->changed.notify_all();
  }
}

void StartThread(BackgroundJob* job) {
#if !defined(_WIN32)
  // The new thread inherits the signal mask in force while it is made.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
#endif
  try {
    job->thread = std::thread(Serve, job);
    job->started = true;
  } catch (const std::system_error&) {
    job->started = false;
  }
#if !defined(_WIN32)
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
#endif
}

// Called with the lock held; the exception leaves the caller with the lock released.
void RethrowFailure(BackgroundJob* job) {
  if (job->failure != nullptr) {
    std::exception_ptr failure = job->failure;
    job->failure = nullptr;
    std::rethrow_exception(failure);
  }
}

}  // namespace

BackgroundJob::~BackgroundJob() {
  if (!started) {
    return;
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
    stopping = true;
  }
  changed.notify_all();
  thread.join();
}

void StartJob(BackgroundJob* job, BackgroundJob::Function function, void* argument) {
  if (!job->started && !job->stopping) {
    StartThread(job);
    if (!job->started) {
      job->stopping = true;  // no second attempt
    }
  }
  if (!job->started) {
    function(argument);
    return;
  }
  std::unique_lock<std::mutex> lock(job->mutex);
  job->changed.wait(lock, [job] { return !job->busy; });
  RethrowFailure(job);
  job->function = function;
  job->argument = argument;
  job->busy = true;
  job->changed.notify_all();
}

void WaitForJob(BackgroundJob* job) {
  if (!job->started) {
    return;
  }
  std::unique_lock<std::mutex> lock(job->mutex);
  job->changed.wait(lock, [job] { return !job->busy; });
  RethrowFailure(job);
}

}  // namespace sumwright
