#pragma once
// Listens on the updater's standard input for the Viewer's "Cancle" lines.
// The season update asks at its check points whether one has come.

#include <atomic>
#include <string>
#include <thread>

namespace wunt {

class CancelReader {
 public:
  CancelReader() = default;
  ~CancelReader();
  CancelReader(const CancelReader&) = delete;
  CancelReader& operator=(const CancelReader&) = delete;

  // Reads `fd` on a thread of its own until Stop() or the end of input.
  // False when the thread could not be started (the run then cannot be
  // cancelled, which is all that is lost).
  bool Start(int fd);
  void Stop();

  const std::atomic<bool>& requested() const { return requested_; }
  // The writer closed its end and every line has been looked at.
  bool input_ended() const { return input_ended_; }

  // Whether a line (without its line end) asks to cancel.
  static bool IsCancelLine(std::string_view line);

 private:
  void Run(int fd);
  void TakeLine(std::string_view line);

  std::atomic<bool> requested_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> input_ended_{false};
  std::string partial_;
  std::thread thread_;
};

}  // namespace wunt
