#include "viewer/platform/background_job.h"

#include <utility>

namespace wunt {

void BackgroundJob::Start(std::function<void(std::stop_token)> work,
                          std::function<void()> finished) {
  Stop();
  const uint64_t run = ++run_;
  thread_ = std::jthread(
      [this, run, work = std::move(work), finished = std::move(finished)](std::stop_token stop) {
        work(stop);
        Post([this, run, finished] {
          if (run != run_) return;
          thread_.join();
          finished();
        });
      });
}

void BackgroundJob::Post(std::function<void()> step) const {
  QMetaObject::invokeMethod(context_, std::move(step), Qt::QueuedConnection);
}

void BackgroundJob::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
  ++run_;
}

}  // namespace wunt
