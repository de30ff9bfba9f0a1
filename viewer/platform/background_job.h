#pragma once
// One piece of work on a thread of its own, for a window that must stay
// responsive meanwhile. The work gets a stop token, posts its progress to
// the GUI thread, and its end runs there too, after the thread is joined,
// so a window touches its widgets only on the GUI thread. The context
// object (the window) must outlive the job: make the job its member.

#include <QObject>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <thread>

namespace wunt {

class BackgroundJob {
 public:
  explicit BackgroundJob(QObject* context) : context_(context) {}
  ~BackgroundJob() { Stop(); }
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // From Start until its `finished` runs.
  bool running() const { return thread_.joinable(); }
  // Runs `work` on a new thread; `finished` follows on the GUI thread once
  // the work returned, unless Stop came first. A job still running is
  // stopped first.
  void Start(std::function<void(std::stop_token)> work, std::function<void()> finished);
  // Runs `step` on the GUI thread, queued; for the work's progress.
  void Post(std::function<void()> step) const;
  // Asks the work to stop and waits for it; its `finished` never runs.
  void Stop();

 private:
  QObject* context_;
  std::jthread thread_;
  // Which Start a queued end belongs to; an end of a stopped run is dropped.
  uint64_t run_ = 0;
};

}  // namespace wunt
