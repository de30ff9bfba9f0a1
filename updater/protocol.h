#pragma once
// The updater's side of the exchange with the Viewer: every line it writes
// on standard output, written whole under one lock so that the main thread
// and the progress ticker never interleave, and the ticker itself.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace wunt {

// Texts are Windows-1252 bytes, as the Viewer reads them.
inline constexpr char kErrorUnsupported[] = "Error noch nicht unterst\xfctzte Funktion";
inline constexpr char kErrorUndefined[] = "Error undefinierter Fehler";
inline constexpr char kErrorServerUnreachable[] =
    "Error Server konnte nicht erreicht werden. Eventuell sollte der Fehler zu einem "
    "sp\xe4teren Zeitpunkt nicht auftreten.";
inline constexpr char kErrorSeasonBusy[] =
    "Error Eine andere Aktualisierung dieser Runde l\xe4uft bereits.";
inline constexpr char kCancelLine[] = "Cancle";
// The last line after the mode was handled.
inline const std::string kClosingLine(100, ' ');

class LineWriter {
 public:
  virtual ~LineWriter() = default;
  // Appends the single LF and hands the whole line on under the lock.
  void WriteLine(std::string_view text);

 protected:
  virtual void Emit(std::string_view line) = 0;

 private:
  std::mutex mutex_;
};

// Writes each line with as many write() calls as it takes, unbuffered, so a
// line is complete on the pipe before the next one starts. A reader that has
// gone away costs nothing but the lost lines.
class FdLineWriter : public LineWriter {
 public:
  explicit FdLineWriter(int fd) : fd_(fd) {}

 protected:
  void Emit(std::string_view line) override;

 private:
  int fd_;
};

class RecordingLineWriter : public LineWriter {
 public:
  // Lines without their LF.
  std::vector<std::string> lines() const;

 protected:
  void Emit(std::string_view line) override;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

std::string StepLine(int step);
std::string ProgressLine(int64_t value);
// ((position + 1) * 1000) div count.
int64_t ProgressValue(size_t position, size_t count);
// "Ready", then " " + year per loaded data year when data was wanted, then
// "|" + year per processed image year when images were wanted.
std::string ReadyLine(const std::vector<std::string>& data_years,
                      const std::vector<std::string>& image_years, bool data_wanted,
                      bool images_wanted);

// Ends a run in which wanted years failed after their attempts, instead of
// the Ready line (which the Viewer would show as success): the failed years
// and those that did load, data and pictures apart.
std::string FailedYearsLine(const std::vector<std::string>& data_failed,
                            const std::vector<std::string>& images_failed,
                            const std::vector<std::string>& data_done,
                            const std::vector<std::string>& images_done);

// Ends a run whose year list came with another status than 200: its body
// is an error page, not an empty list.
std::string YearListStatusLine(int32_t status);

// " Nicht gespeichert, da größer als 16 MiB: " + the paths (at most five,
// then how many more) + "."; empty when there are none. Appended to the
// failed-years line, or ending a run that was complete but for these.
std::string TooLargePicturesText(const std::vector<std::string>& paths);

// Ends a run whose wanted years all came but which still fell short, for
// the `reasons` given (each begins with a blank): "Error" + reasons +
// " Geladen: " + the years that did load.
std::string ReasonsLine(const std::string& reasons, const std::vector<std::string>& data_done,
                        const std::vector<std::string>& images_done);

// A sign of life while the year list is fetched: every `interval` a
// "Progress" line with 16, 32, ..., 992, then 0 again.
class ProgressTicker {
 public:
  explicit ProgressTicker(LineWriter& out,
                          std::chrono::milliseconds interval = std::chrono::milliseconds(500));
  ~ProgressTicker();
  ProgressTicker(const ProgressTicker&) = delete;
  ProgressTicker& operator=(const ProgressTicker&) = delete;

  // False when the thread could not be started.
  bool Start();
  // Returns once the thread has ended; no line is written after that.
  void Stop();

  static int NextValue(int value) { return value + 16 > 1000 ? 0 : value + 16; }

 private:
  void Run();

  LineWriter& out_;
  std::chrono::milliseconds interval_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace wunt
