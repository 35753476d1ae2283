// SPDX-License-Identifier: MIT
// Tests of the second thread that runs the output's jobs, and of the caller running them itself
// when no thread can be made.
#include "base/background_job.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

namespace sumwright {
namespace {

struct Letter {
  char letter;
  std::string* log;
};

void Append(void* argument) {
  const Letter* item = static_cast<const Letter*>(argument);
  item->log->push_back(item->letter);
}

void RunOutOfMemory(void*) {
  throw std::bad_alloc();
}

// More jobs than may be pending, one of which throws: every job runs, in order, and what the
// failing one threw reaches the caller once, on the caller's thread.
TEST(BackgroundJob, RunsJobsInOrderAndPassesOnWhatOneThrewOnce) {
  for (bool threadAvailable : {true, false}) {
    SCOPED_TRACE(threadAvailable ? "a second thread" : "no thread could be made");
    std::string log;
    int thrown = 0;
    {
      BackgroundJob queue;
      if (!threadAvailable) {
        queue.threadState = BackgroundJob::Thread::Unavailable;
      }
      auto attempt = [&thrown](const std::function<void()>& call) {
        try {
          call();
        } catch (const std::bad_alloc&) {
          ++thrown;
        }
      };
      Letter letters[] = {{'a', &log}, {'b', &log}, {'c', &log}, {'d', &log}, {'e', &log}};
      for (int i = 0; i < 4; ++i) {
        attempt([&] { StartJob(&queue, Append, &letters[i]); });
      }
      attempt([&] { StartJob(&queue, RunOutOfMemory, nullptr); });
      attempt([&] { WaitForJob(&queue); });
      attempt([&] { StartJob(&queue, Append, &letters[4]); });
      attempt([&] { WaitForJob(&queue); });
    }
    EXPECT_EQ("abcde", log);
    EXPECT_EQ(1, thrown);
  }
}

}  // namespace
}  // namespace sumwright
