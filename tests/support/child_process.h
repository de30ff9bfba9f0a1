#pragma once
// A child program with pipes on its standard input and output, read line by
// line with time limits, so no test can hang on a program that misbehaves.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wunt::test {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  struct Options {
    // "NAME=value" entries put before the inherited environment.
    std::vector<std::string> environment;
    // RLIMIT_FSIZE of the child in bytes; 0: inherited.
    uint64_t file_size_limit = 0;
  };

  // argv[0] is the program's path; standard error goes to /dev/null.
  bool Start(const std::vector<std::string>& argv);
  bool Start(const std::vector<std::string>& argv, const Options& options);
  // One line without its LF; nothing at the end of output or after `limit`.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit);
  // Every remaining line until the output ends (or `limit` passes).
  std::vector<std::string> ReadRemainingLines(std::chrono::milliseconds limit);
  void Write(std::string_view bytes);
  void CloseInput();
  // Stops reading: the child's later writes find no reader.
  void CloseOutput();
  // The exit code, or nothing when it did not end normally within `limit`.
  std::optional<int> Wait(std::chrono::milliseconds limit);
  // SIGTERM, then SIGKILL if it does not end.
  void Terminate();
  // SIGKILL at once, as a crash or a power cut would end it.
  void Kill();
  // The child's peak resident memory in KiB, once Wait() has seen it end.
  long peak_rss_kib() const { return peak_rss_kib_; }
  // Bytes the child wrote to files (counted when written, even if the file
  // was removed since), once Wait() has seen it end.
  int64_t bytes_written() const { return bytes_written_; }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string pending_;
  bool output_ended_ = false;
  long peak_rss_kib_ = 0;
  int64_t bytes_written_ = 0;
};

}  // namespace wunt::test
