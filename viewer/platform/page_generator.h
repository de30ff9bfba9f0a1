#pragma once
// Page generations off the GUI thread: one at a time, on a thread of their
// own, and the newest request wins. A request that arrives while another
// waits replaces it; a finished generation that is no longer the newest is
// not shown. The result reaches the GUI thread through the context object's
// event queue, so views are only ever touched there.

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

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
  bool busy() const;

 private:
  void Run();

  QObject* context_;
  Done done_;
  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::optional<Job> pending_;
  uint64_t requested_ = 0;
  uint64_t delivered_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace wunt
