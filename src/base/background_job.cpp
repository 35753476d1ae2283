// SPDX-License-Identifier: MIT
// A second thread that runs jobs in the order they are handed to it while the caller goes on
// with other work.
#include "base/background_job.h"

#include <system_error>

#include "base/interrupt.h"

namespace sumwright {

namespace {

void Serve(BackgroundJob* queue) {
  LeavePollsToMainThread();
  std::unique_lock<std::mutex> lock(queue->mutex);
  for (;;) {
    queue->changed.wait(lock, [queue] { return queue->pending != 0 || queue->stopping; });
    if (queue->pending == 0) {
      return;
    }
    BackgroundJob::Job job = queue->jobs[queue->first];
    lock.unlock();
    std::exception_ptr failure;
    try {
      job.function(job.argument);
    } catch (...) {
      // An exception that left the thread would end the process without a message.
      failure = std::current_exception();
    }
    lock.lock();
    if (failure != nullptr && queue->failure == nullptr) {
      queue->failure = failure;
    }
    queue->first = (queue->first + 1) % BackgroundJob::kMostPending;
    --queue->pending;
    queue->changed.notify_all();
  }
}

void StartThread(BackgroundJob* queue) {
  // The new thread inherits the signal mask in force while it is made: all held back.
  SignalHold hold;
  try {
    queue->thread = std::thread(Serve, queue);
    queue->threadState = BackgroundJob::Thread::Running;
  } catch (const std::system_error&) {
    queue->threadState = BackgroundJob::Thread::Unavailable;
  }
}

// Called with the lock held; the exception leaves the caller with the lock released.
void RethrowFailure(BackgroundJob* queue) {
  if (queue->failure != nullptr) {
    std::exception_ptr failure = queue->failure;
    queue->failure = nullptr;
    std::rethrow_exception(failure);
  }
}

}  // namespace

BackgroundJob::~BackgroundJob() {
  if (threadState != Thread::Running) {
    return;
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return pending == 0; });
    stopping = true;
  }
  changed.notify_all();
  thread.join();
}

void StartJob(BackgroundJob* queue, BackgroundJob::Function function, void* argument) {
  if (queue->threadState == BackgroundJob::Thread::NotMade) {
    StartThread(queue);
  }
  if (queue->threadState == BackgroundJob::Thread::Unavailable) {
    function(argument);
    return;
  }
  std::unique_lock<std::mutex> lock(queue->mutex);
  queue->changed.wait(lock, [queue] { return queue->pending < BackgroundJob::kMostPending; });
  RethrowFailure(queue);
  size_t slot = (queue->first + queue->pending) % BackgroundJob::kMostPending;
  queue->jobs[slot] = BackgroundJob::Job{function, argument};
  ++queue->pending;
  queue->changed.notify_all();
}

void WaitForJob(BackgroundJob* queue) {
  if (queue->threadState != BackgroundJob::Thread::Running) {
    return;
  }
  std::unique_lock<std::mutex> lock(queue->mutex);
  queue->changed.wait(lock, [queue] { return queue->pending == 0; });
  RethrowFailure(queue);
}

}  // namespace sumwright
