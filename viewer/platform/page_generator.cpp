#include "viewer/platform/page_generator.h"

namespace wunt {

PageGenerator::PageGenerator(QObject* context, Done done)
    : context_(context), done_(std::move(done)), thread_([this] { Run(); }) {}

PageGenerator::~PageGenerator() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
    pending_.reset();
  }
  wake_.notify_all();
  thread_.join();
}

void PageGenerator::Request(Job job) {
  {
    std::lock_guard guard(lock_);
    pending_ = std::move(job);
    ++requested_;
  }
  wake_.notify_all();
}

bool PageGenerator::busy() const {
  std::lock_guard guard(lock_);
  return delivered_ != requested_;
}

void PageGenerator::Run() {
  while (true) {
    Job job;
    uint64_t generation = 0;
    {
      std::unique_lock guard(lock_);
      wake_.wait(guard, [this] { return stopping_ || pending_.has_value(); });
      if (stopping_) return;
      job = std::move(*pending_);
      pending_.reset();
      generation = requested_;
    }
    std::optional<std::filesystem::path> page = job();
    QMetaObject::invokeMethod(
        context_,
        [this, generation, page] {
          {
            std::lock_guard guard(lock_);
            if (generation != requested_) return;  // a newer one is on its way
            delivered_ = generation;
          }
          done_(page);
        },
        Qt::QueuedConnection);
  }
}

}  // namespace wunt
