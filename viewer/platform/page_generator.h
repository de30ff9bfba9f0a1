#pragma once
// Page generations off the GUI thread: one at a time, as a background job,
// and the newest request wins. A request that arrives while another runs
// waits, replacing any that waited before it; a finished generation that is
// no longer the newest is not shown but makes way for the waiting one. Its
// result reaches the GUI thread through the context object's event queue,
// so views are only ever touched there. Request it on the GUI thread.

#include <QObject>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "viewer/platform/background_job.h"

namespace wunt {

class PageGenerator {
 public:
  // Runs on the generation thread: writes the page, returns its path or
  // nothing when it could not be written.
  using Job = std::function<std::optional<std::filesystem::path>()>;
  // Runs on the GUI thread for the newest generation only.
  using Done = std::function<void(std::optional<std::filesystem::path>)>;

  PageGenerator(QObject* context, Done done);
  // Waits for a generation in progress; one still waiting is dropped.
  ~PageGenerator();
  PageGenerator(const PageGenerator&) = delete;
  PageGenerator& operator=(const PageGenerator&) = delete;

  void Request(Job job);
  // True from a request until its result was handed over.
  bool busy() const { return delivered_ != requested_; }

 private:
  void StartWaiting();

  Done done_;
  std::optional<Job> waiting_;
  uint64_t requested_ = 0;
  uint64_t delivered_ = 0;
  BackgroundJob job_;
};

}  // namespace wunt
