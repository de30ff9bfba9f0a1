#include "viewer/platform/page_generator.h"

#include <memory>
#include <utility>

namespace wunt {

PageGenerator::PageGenerator(QObject* context, Done done) : done_(std::move(done)), job_(context) {}

PageGenerator::~PageGenerator() {
  waiting_.reset();
  job_.Stop();
}

void PageGenerator::Request(Job job) {
  waiting_ = std::move(job);
  ++requested_;
  if (!job_.running()) StartWaiting();
}

void PageGenerator::StartWaiting() {
  const uint64_t generation = requested_;
  auto page = std::make_shared<std::optional<std::filesystem::path>>();
  job_.Start([job = std::move(*waiting_), page](std::stop_token) { *page = job(); },
             [this, generation, page] {
               // A newer request waits: this page is out of date already.
               if (waiting_) return StartWaiting();
               delivered_ = generation;
               done_(*page);
             });
  waiting_.reset();
}

}  // namespace wunt
