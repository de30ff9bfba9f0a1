#include "updater/protocol.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "common/season_pictures.h"

namespace wunt {

void LineWriter::WriteLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  std::lock_guard<std::mutex> lock(mutex_);
  Emit(line);
}

void FdLineWriter::Emit(std::string_view line) {
  while (!line.empty()) {
    ssize_t n = write(fd_, line.data(), line.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    line.remove_prefix(static_cast<size_t>(n));
  }
}

void RecordingLineWriter::Emit(std::string_view line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.emplace_back(line.substr(0, line.size() - 1));
}

std::vector<std::string> RecordingLineWriter::lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::string StepLine(int step) { return "Step " + std::to_string(step); }

std::string ProgressLine(int64_t value) { return "Progress " + std::to_string(value); }

int64_t ProgressValue(size_t position, size_t count) {
  if (count == 0) return 1000;
  return static_cast<int64_t>((position + 1) * 1000 / count);
}

std::string ReadyLine(const std::vector<std::string>& data_years,
                      const std::vector<std::string>& image_years, bool data_wanted,
                      bool images_wanted) {
  std::string line = "Ready";
  if (data_wanted) {
    for (const std::string& year : data_years) line += " " + year;
  }
  if (images_wanted) {
    for (const std::string& year : image_years) line += "|" + year;
  }
  return line;
}

namespace {

// "Daten 1990, 1991; Bilder 1991", or `none` when both lists are empty.
std::string YearsText(const std::vector<std::string>& data, const std::vector<std::string>& images,
                      const char* none) {
  std::string text;
  for (const auto& [label, years] : {std::pair{"Daten ", &data}, std::pair{"Bilder ", &images}}) {
    if (years->empty()) continue;
    if (!text.empty()) text += "; ";
    text += label;
    for (size_t i = 0; i < years->size(); ++i) text += (i ? ", " : "") + (*years)[i];
  }
  return text.empty() ? none : text;
}

}  // namespace

std::string FailedYearsLine(const std::vector<std::string>& data_failed,
                            const std::vector<std::string>& images_failed,
                            const std::vector<std::string>& data_done,
                            const std::vector<std::string>& images_done) {
  return "Error Nicht alle Jahre konnten geladen werden. Fehlgeschlagen: " +
         YearsText(data_failed, images_failed, "keine") +
         ". Geladen: " + YearsText(data_done, images_done, "nichts") + ".";
}

std::string YearListStatusLine(int32_t status) {
  return "Error Der Server beantwortete die Liste der Jahre mit dem Status " +
         std::to_string(status) + ".";
}

std::string TooLargePicturesText(const std::vector<std::string>& paths) {
  constexpr size_t kNamed = 5;
  if (paths.empty()) return "";
  std::string text =
      " Nicht gespeichert, da gr\xf6\xdf"
      "er als " +
      std::to_string(kMaxPictureBytes >> 20) + " MiB: ";
  for (size_t i = 0; i < paths.size() && i < kNamed; ++i) text += (i ? ", " : "") + paths[i];
  if (paths.size() > kNamed) text += " und " + std::to_string(paths.size() - kNamed) + " weitere";
  return text + ".";
}

std::string ReasonsLine(const std::string& reasons, const std::vector<std::string>& data_done,
                        const std::vector<std::string>& images_done) {
  return "Error" + reasons + " Geladen: " + YearsText(data_done, images_done, "nichts") + ".";
}

ProgressTicker::ProgressTicker(LineWriter& out, std::chrono::milliseconds interval)
    : out_(out), interval_(interval) {}

ProgressTicker::~ProgressTicker() { Stop(); }

bool ProgressTicker::Start() {
  stop_ = false;
  try {
    thread_ = std::thread(&ProgressTicker::Run, this);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void ProgressTicker::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void ProgressTicker::Run() {
  using Clock = std::chrono::steady_clock;
  // Deadlines advance by whole intervals, so a late wake-up does not drift.
  Clock::time_point next = Clock::now() + interval_;
  int value = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (wake_.wait_until(lock, next, [this] { return stop_; })) break;
    value = NextValue(value);
    next += interval_;
    lock.unlock();
    out_.WriteLine(ProgressLine(value));
    lock.lock();
  }
}

}  // namespace wunt
