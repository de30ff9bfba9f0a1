#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace wunt::test {

using Clock = std::chrono::steady_clock;

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::vector<std::string>& argv) { return Start(argv, Options{}); }

bool ChildProcess::Start(const std::vector<std::string>& argv, const Options& options) {
  // A process object may be started again after the last one ended.
  pending_.clear();
  output_ended_ = false;
  int in[2];
  int out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& entry : options.environment)
    env.push_back(const_cast<char*>(entry.c_str()));
  for (char** entry = environ; *entry != nullptr; ++entry) env.push_back(*entry);
  env.push_back(nullptr);
  // Limits are inherited: set for the spawn only, then put back.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  if (options.file_size_limit > 0) {
    rlimit limited = saved;
    limited.rlim_cur = options.file_size_limit;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  int rc = posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), env.data());
  if (options.file_size_limit > 0) setrlimit(RLIMIT_FSIZE, &saved);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  output_ = out[0];
  if (rc != 0) {
    pid_ = -1;
    CloseInput();
    return false;
  }
  return true;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds limit) {
  const Clock::time_point end = Clock::now() + limit;
  for (;;) {
    size_t lf = pending_.find('\n');
    if (lf != std::string::npos) {
      std::string line = pending_.substr(0, lf);
      pending_.erase(0, lf + 1);
      return line;
    }
    if (output_ended_) return std::nullopt;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{output_, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char buffer[4096];
    ssize_t n = read(output_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      output_ended_ = true;
      // A last line without LF is still a line.
      if (!pending_.empty()) {
        std::string line;
        line.swap(pending_);
        return line;
      }
      return std::nullopt;
    }
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

std::vector<std::string> ChildProcess::ReadRemainingLines(std::chrono::milliseconds limit) {
  const Clock::time_point end = Clock::now() + limit;
  std::vector<std::string> lines;
  while (auto line = ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
             std::max(end - Clock::now(), Clock::duration::zero())))) {
    lines.push_back(*line);
  }
  return lines;
}

void ChildProcess::Write(std::string_view bytes) {
  while (input_ >= 0 && !bytes.empty()) {
    ssize_t n = write(input_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void ChildProcess::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

void ChildProcess::CloseOutput() {
  if (output_ >= 0) close(output_);
  output_ = -1;
  output_ended_ = true;
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
  if (pid_ < 0) return std::nullopt;
  const Clock::time_point end = Clock::now() + limit;
  for (;;) {
    int status = 0;
    rusage usage{};
    pid_t done = wait4(pid_, &status, WNOHANG, &usage);
    if (done == pid_) {
      pid_ = -1;
      peak_rss_kib_ = usage.ru_maxrss;
      bytes_written_ = static_cast<int64_t>(usage.ru_oublock) * 512;
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      return std::nullopt;
    }
    if (done < 0 || Clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void ChildProcess::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  CloseInput();
  CloseOutput();
}

void ChildProcess::Terminate() {
  CloseInput();
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (!Wait(std::chrono::milliseconds(3000)) && pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
  CloseOutput();
}

}  // namespace wunt::test
