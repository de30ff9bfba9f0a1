#include "updater/cancel_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "common/text.h"

namespace wunt {
namespace {

// A line longer than this is no request of ours; only its start is kept.
constexpr size_t kMaxLine = 256;
constexpr int kPollMs = 50;

}  // namespace

CancelReader::~CancelReader() { Stop(); }

bool CancelReader::Start(int fd) {
  stop_ = false;
  try {
    thread_ = std::thread(&CancelReader::Run, this, fd);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CancelReader::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

bool CancelReader::IsCancelLine(std::string_view line) { return TrimBlanks(line) == "Cancle"; }

void CancelReader::TakeLine(std::string_view line) {
  if (IsCancelLine(line)) requested_ = true;
}

void CancelReader::Run(int fd) {
  // Polled with a short bound, so Stop() never waits on a blocked read.
  char buffer[512];
  bool ended = false;
  while (!stop_) {
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, kPollMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return;
    if (ready == 0) continue;
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      ended = true;
      break;
    }
    for (ssize_t i = 0; i < n; ++i) {
      char c = buffer[i];
      // CR, LF and CR LF all end a line; the empty line between CR and LF
      // asks nothing.
      if (c == '\r' || c == '\n') {
        TakeLine(partial_);
        partial_.clear();
      } else if (partial_.size() < kMaxLine) {
        partial_ += c;
      }
    }
  }
  // Input ended without a line end: the last line still counts.
  TakeLine(partial_);
  partial_.clear();
  input_ended_ = ended;
}

}  // namespace wunt
