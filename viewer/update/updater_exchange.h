#pragma once
// The Viewer's side of the updater's output: cutting the pipe's bytes into
// lines and turning each line into what the progress window must do, up to
// the final line, whose message the Viewer shows when the run ends.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

// Messages (CP1252 bytes).
inline constexpr char kUpdaterNothingNew[] = "Kein neues Jahr verf\xfcgbar.";
inline constexpr char kUpdaterErrorPrefix[] = "Es ist ein Fehler aufgetrehten: \r";
inline constexpr char kUpdaterCancelled[] = "Aktualisierung wurde abgebrochen.";
inline constexpr char kUpdaterUnknownPrefix[] = "Unbekannter Befehl: ";
inline constexpr char kUpdaterEndedUnexpectedly[] = "Der Updater wurde unerwartet beendet.";
// The line the Viewer writes once per click on "Abbrechen".
inline constexpr char kUpdaterCancelRequest[] = "Cancle\n";

// Cuts a byte stream into lines. A line ends at CR, LF or CR LF, also when
// the CR and the LF arrive in different chunks. A line longer than
// kMaxLineLength keeps its first kMaxLineLength bytes.
class LineSplitter {
 public:
  static constexpr size_t kMaxLineLength = 64 * 1024;

  void Feed(std::string_view chunk);
  // The next complete line without its end, if one has arrived.
  std::optional<std::string> NextLine();
  // After the stream ended: the text after the last line end, if any.
  std::optional<std::string> TakeRest();

 private:
  std::vector<std::string> lines_;  // complete, not yet taken
  size_t next_ = 0;
  std::string partial_;
  bool after_cr_ = false;  // an LF right now still belongs to the last line
};

enum class UpdaterActionKind {
  kStep,      // reset the bar and the labels, highlight `step` (1-3) if any
  kProgress,  // set the bar to `progress`
  kReady,     // final lines: the exchange ends and `message` is shown
  kError,
  kCancelled,
  kUnknown,
  kEnded,  // the updater ended without a final line
};

struct UpdaterAction {
  UpdaterActionKind kind = UpdaterActionKind::kUnknown;
  int step = 0;      // kStep: 1-3 to highlight, 0 to reset only
  int progress = 0;  // kProgress: 0-1000
  std::string message;
  // kReady: the game years whose data was loaded, as the line gives them.
  std::vector<std::string> data_years;

  bool is_final() const {
    return kind != UpdaterActionKind::kStep && kind != UpdaterActionKind::kProgress;
  }
};

UpdaterAction InterpretUpdaterLine(std::string_view line);

// The message for the text after "Ready": the data years, each cut to four
// characters at the end, and the image years.
std::string ReadySummary(std::string_view rest);

// Whether the season loaded in the Viewer must be read again after a run for
// `run_season` that ended with `final_action`. Only a Ready line that names
// no data years says for sure that nothing was written; a run that failed,
// was cancelled or broke off may have written years before it stopped.
bool SeasonNeedsReload(const UpdaterAction& final_action, int64_t run_season,
                       int64_t loaded_season);

// One run's exchange: bytes in, actions out, up to and including the first
// final action. Later lines are not read.
class UpdaterExchange {
 public:
  std::vector<UpdaterAction> Feed(std::string_view chunk);
  // The updater's output ended (the process is gone). Gives the final action
  // if none has been given yet: a Ready, Error or Cancle line left without
  // its line end, otherwise kEnded.
  std::optional<UpdaterAction> End();
  bool finished() const { return finished_; }

 private:
  LineSplitter splitter_;
  bool finished_ = false;
};

}  // namespace wunt
