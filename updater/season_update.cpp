#include "updater/season_update.h"

#include <algorithm>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <system_error>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/season_support_files.h"
#include "updater/game_year_archive.h"
#include "updater/image_store.h"
#include "updater/season_folder.h"

namespace wunt {
namespace fs = std::filesystem;

namespace {

constexpr size_t kYearTokenSize = 4;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Adds the time from construction to destruction to a counter, when there is
// one.
class ScopedTimer {
 public:
  explicit ScopedTimer(int64_t* sink) : sink_(sink), start_(std::chrono::steady_clock::now()) {}
  ~ScopedTimer() {
    if (sink_ == nullptr) return;
    *sink_ += std::chrono::duration_cast<std::chrono::nanoseconds>(
                  std::chrono::steady_clock::now() - start_)
                  .count();
  }

 private:
  int64_t* sink_;
  std::chrono::steady_clock::time_point start_;
};

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool IsRealFolder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(path, ec));
}

// Only a regular file marks a year as downloaded: a folder or a link of that
// name would keep the year from ever being fetched.
bool HasYearData(const fs::path& year_folder) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(year_folder / kParkFile, ec));
}

// Step 3's lines while step 2 still writes its own: held back until step 2
// is over, so the Viewer reads every step in order.
class HeldLineWriter : public LineWriter {
 public:
  explicit HeldLineWriter(LineWriter& out) : out_(out) {}

  // Hands on what was held; every later line goes straight on.
  void Release() {
    std::lock_guard<std::mutex> lock(hold_mutex_);
    for (const std::string& line : held_) out_.WriteLine(line);
    held_.clear();
    passing_ = true;
  }
  // Forgets what was held and every later line: a cancelled step 2 ends the
  // run before step 3 would have begun.
  void Drop() {
    std::lock_guard<std::mutex> lock(hold_mutex_);
    held_.clear();
    dropping_ = true;
  }

 protected:
  void Emit(std::string_view line) override {
    line.remove_suffix(1);  // the LF that WriteLine adds again
    std::lock_guard<std::mutex> lock(hold_mutex_);
    if (passing_) {
      out_.WriteLine(line);
    } else if (!dropping_) {
      held_.emplace_back(line);
    }
  }

 private:
  LineWriter& out_;
  std::mutex hold_mutex_;
  std::vector<std::string> held_;
  bool passing_ = false;
  bool dropping_ = false;
};

// How far step 2 has got, for the pictures of its years that wait for their
// data files.
class DataVerdicts {
 public:
  explicit DataVerdicts(const std::vector<std::string>& years) : years_(years) {}

  // The years before `position` are done or failed.
  void Reached(size_t position) {
    std::lock_guard<std::mutex> lock(mutex_);
    reached_ = position;
    changed_.notify_all();
  }
  // No more years will come, also when step 2 was cut short.
  void End() { Reached(years_.size()); }

  // Returns once step 2 is done with `year`, at once for a year it does not
  // load. The list is sorted.
  void WaitFor(const std::string& year) {
    auto at = std::lower_bound(years_.begin(), years_.end(), year);
    if (at == years_.end() || *at != year) return;
    const size_t position = static_cast<size_t>(at - years_.begin());
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return reached_ > position; });
  }

 private:
  const std::vector<std::string>& years_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t reached_ = 0;
};

class SeasonUpdate {
 public:
  SeasonUpdate(int64_t season, const SeasonUpdateOptions& options, LineWriter& out)
      : season_text_(std::to_string(season)),
        season_folder_(options.data_folder / season_text_),
        options_(options),
        stats_(options.stats),
        out_(out),
        random_(std::random_device{}()),
        reserve_(
            options.free_space ? options.free_space
                               : [folder = options.data_folder] { return FreeDiskSpace(folder); },
            options.disk_reserve) {}

  SeasonUpdateOutcome Run(bool data_wanted, bool images_wanted) {
    // A player's first season has no folder yet. Made here, before the lock
    // that needs it; one that cannot be made fails its years on their own.
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(season_folder_, ec))) {
      fs::create_directories(season_folder_, ec);
    }
    SeasonLock lock(season_folder_);
    if (lock.state() == SeasonLock::State::kBusy) {
      out_.WriteLine(kErrorSeasonBusy);
      return SeasonUpdateOutcome::kFailed;
    }
    if (lock.state() == SeasonLock::State::kHeld) {
      RemoveLeftovers(season_folder_);
      // The Viewer cannot open a season without them, and no server has them.
      std::string unwritten = SupportFilesReason(WriteMissingSupportFiles(season_folder_));
      if (!unwritten.empty()) reasons_.push_back(std::move(unwritten));
    }
    data_wanted_ = data_wanted;
    std::optional<MissingYears> missing = FindMissing();
    if (!missing && !cancelled_) return SeasonUpdateOutcome::kFailed;
    cancelled_ = cancelled_ || Cancelled();
    bool images_loaded = false;
    if (data_wanted && !cancelled_) {
      images_loaded = images_wanted && LoadDataAndImages(*missing);
      if (!images_loaded) cancelled_ = !LoadData(missing->data);
    }
    if (images_wanted && !cancelled_ && !images_loaded) {
      cancelled_ = !LoadImages(missing->images, out_, nullptr);
    }
    reasons_.insert(reasons_.end(), picture_reasons_.begin(), picture_reasons_.end());
    if (missing && !reserve_.refused()) {
      ScopedTimer timer(Counter(&SeasonUpdateStats::fix_sizes_ns));
      FixPictureSizes(season_folder_);
    }
    if (cancelled_) {
      out_.WriteLine(kCancelLine);
      return SeasonUpdateOutcome::kCancelled;
    }
    if (!too_large_years_.empty()) reasons_.push_back(TooLargeYearsReason(too_large_years_));
    if (reserve_.refused()) reasons_.push_back(DiskReserveReason(options_.disk_reserve));
    std::string reasons;
    for (const std::string& reason : reasons_) reasons += " " + reason;
    reasons += TooLargePicturesText(too_large_);
    if (!data_failed_.empty() || !images_failed_.empty()) {
      out_.WriteLine(FailedYearsLine(data_failed_, images_failed_, data_done_, images_done_) +
                     reasons);
      return SeasonUpdateOutcome::kFailed;
    }
    // Every year came, yet something the player needs did not: an Error
    // all the same, without claiming failed years there were none of.
    if (!reasons.empty()) {
      out_.WriteLine(ReasonsLine(reasons, data_done_, images_done_));
      return SeasonUpdateOutcome::kFailed;
    }
    out_.WriteLine(ReadyLine(data_done_, images_done_, data_wanted, images_wanted));
    return SeasonUpdateOutcome::kReady;
  }

 private:
  int64_t* Counter(int64_t SeasonUpdateStats::*field) {
    return stats_ ? &(stats_->*field) : nullptr;
  }

  bool Cancelled() const { return options_.cancel != nullptr && options_.cancel->load(); }

  // The rest of the run neither asks this server nor writes anything once
  // the disk reached its reserve.
  bool Stopped(Server server) const {
    return reserve_.refused() || (server == Server::kUpdate ? update_gone_ : game_gone_);
  }

  // Each server's reasons have a list of their own, since steps 2 and 3 may
  // run side by side; the game server's come last, as its step does.
  void GiveUp(Server server, std::string reason) {
    if (Stopped(server)) return;
    (server == Server::kUpdate ? update_gone_ : game_gone_) = true;
    (server == Server::kUpdate ? reasons_ : picture_reasons_).push_back(std::move(reason));
  }

  // A server that is too slow for the rate window or for a request's total
  // time would be just as slow for the next request.
  static std::optional<std::string> SlowReason(Server server, const HttpConnection* connection) {
    if (connection == nullptr) return std::nullopt;
    if (connection->too_slow) {
      return TooSlowReason(server, connection->limits.min_rate, connection->limits.rate_window_ms);
    }
    if (connection->out_of_time) return TooLongReason(server, connection->time_allowed_ms);
    return std::nullopt;
  }

  void GiveUpWhenTooSlow(Server server, const HttpConnection* connection) {
    if (std::optional<std::string> reason = SlowReason(server, connection)) {
      GiveUp(server, std::move(*reason));
    }
  }

  bool MayWrite(uint64_t bytes) { return reserve_.Take(bytes); }

  HttpLimits Limits(Server server, int total_ms, int64_t earned_rate = 0) {
    HttpLimits limits = options_.http;
    // One rate window per server, running on from request to request.
    limits.rate_window = server == Server::kUpdate ? &update_window_ : &game_window_;
    limits.total_ms = total_ms;
    limits.earned_rate = earned_rate;
    limits.cancel = options_.cancel;
    return limits;
  }

  // Step 1; nothing after an error line, and nothing when cancelled.
  std::optional<MissingYears> FindMissing() {
    out_.WriteLine(StepLine(1));
    ProgressTicker ticker(out_, options_.ticker_interval);
    if (!ticker.Start()) {
      out_.WriteLine(kErrorUndefined);
      return std::nullopt;
    }
    YearListReader reader;
    bool ok;
    int32_t list_status = 0;
    {
      ScopedTimer timer(Counter(&SeasonUpdateStats::year_list_ns));
      std::unique_ptr<HttpConnection> connection =
          OpenHttpRequest(options_.servers.update_host, options_.servers.update_port,
                          "GET /WUNT2_Get.php?round=" + season_text_ + " HTTP/1.1", "text/plain",
                          "text/plain", "", "", Limits(Server::kUpdate, options_.list_total_ms));
      // Read as it arrives: a huge list costs no more memory than a short one.
      // An error page is not read at all.
      HttpConnection* c = connection.get();
      ok = FetchToSink(c, [&reader, c](std::string_view piece) {
        if (c->status != 200) return false;
        reader.Feed(piece);
        return true;
      });
      list_status = connection ? connection->status : 0;
      CloseHttpConnection(std::move(connection));
    }
    if (list_status > 0 && list_status != 200 && !Cancelled()) {
      ticker.Stop();
      out_.WriteLine(YearListStatusLine(list_status));
      return std::nullopt;
    }
    if (!ok || reader.bytes() == 0) {
      ticker.Stop();
      cancelled_ = Cancelled();
      if (!cancelled_) out_.WriteLine(kErrorServerUnreachable);
      return std::nullopt;
    }
    MissingYears missing = FindMissingYears(season_folder_, reader.years());
    ticker.Stop();
    return missing;
  }

  // No archive of a year that fits the bound on its files is bigger.
  HttpLimits ArchiveLimits() {
    HttpLimits limits = Limits(Server::kUpdate, options_.archive_total_ms, options_.archive_rate);
    limits.max_total_ms = options_.archive_max_total_ms;
    limits.max_body = std::min(limits.max_body, kMaxGameYearArchiveBytes);
    return limits;
  }

  // One attempt at a year up to the point where its files wait under
  // temporary names to be made durable. It may run on the second thread
  // while the year before is synced, so it leaves the run's state to the
  // main thread: that reads its outcome once it is over.
  struct YearAttempt {
    std::unique_ptr<UnpackedGameYear> files;  // everything arrived and was written
    bool not_delivered = false;
    bool too_large = false;
    std::optional<std::string> give_up;  // the update server, for this reason
    int64_t fetch_ns = 0;
    int64_t unpack_ns = 0;
    int64_t archive_bytes = 0;
  };

  void FetchArchive(const std::string& year, const fs::path& archive, YearAttempt& attempt) {
    ScopedTimer timer(&attempt.fetch_ns);
    std::unique_ptr<HttpConnection> connection =
        OpenHttpRequest(options_.servers.update_host, options_.servers.update_port,
                        "GET /WUNT2_" + season_text_ + "/" + year + " HTTP/1.1", "text/plain",
                        "text/plain", "", "", ArchiveLimits());
    bool ok = connection && FetchToFile(connection.get(), archive,
                                        [this](uint64_t bytes) { return MayWrite(bytes); });
    if (ok) attempt.archive_bytes = connection->received;
    attempt.not_delivered = !ok && (!connection || connection->failed);
    attempt.too_large = !ok && connection && connection->too_large;
    attempt.give_up = SlowReason(Server::kUpdate, connection.get());
    CloseHttpConnection(std::move(connection));
    if (ok) {
      ScopedTimer unpack_timer(&attempt.unpack_ns);
      attempt.files = StartUnpackGameYear(
          season_folder_ / year, archive, [this](uint64_t bytes) { return MayWrite(bytes); },
          &attempt.too_large);
    }
  }

  YearAttempt PrepareYear(const std::string& year) {
    YearAttempt attempt;
    // Downloaded into the season folder, which this run holds locked, under
    // a name created afresh (never through a planted link).
    fs::path archive = ArchivePath(season_folder_, year);
    FetchArchive(year, archive, attempt);
    std::error_code ec;
    fs::remove(archive, ec);
    return attempt;
  }

  // Takes over what an attempt found, in the order the attempts were made.
  void Record(YearAttempt& attempt) {
    archive_not_delivered_ = attempt.not_delivered;
    year_too_large_ = attempt.too_large;
    if (attempt.give_up) GiveUp(Server::kUpdate, std::move(*attempt.give_up));
    if (stats_ == nullptr) return;
    stats_->archive_fetch_ns += attempt.fetch_ns;
    stats_->unpack_ns += attempt.unpack_ns;
    stats_->archive_bytes += attempt.archive_bytes;
  }

  // Step 2. False when cancelled. While a year's files are made durable,
  // the next year is already downloaded and written under temporary names on
  // a second thread, one year ahead at most; it only becomes durable after
  // the year before it, and is dropped whole when the run does not get to it.
  bool LoadData(const std::vector<std::string>& years, DataVerdicts* verdicts = nullptr) {
    ScopedTimer step_timer(Counter(&SeasonUpdateStats::data_step_ns));
    out_.WriteLine(StepLine(2));
    std::future<YearAttempt> ahead;  // of years[position + 1]
    for (size_t position = 0; position < years.size(); ++position) {
      std::optional<YearAttempt> early;
      if (ahead.valid()) early = ahead.get();
      bool ok = false;
      int attempt = 0;
      // A year too big is not tried again: the same archive would be just as
      // big.
      year_too_large_ = false;
      // A year fetched ahead was asked for when nothing had stopped the run
      // yet, as it would have been right after the year before.
      for (; attempt < options_.attempts && !ok && !year_too_large_ &&
             ((attempt == 0 && early) || !Stopped(Server::kUpdate));
           ++attempt) {
        if (Cancelled()) return false;
        YearAttempt current = early ? std::move(*early) : PrepareYear(years[position]);
        early.reset();
        Record(current);
        if (current.files) {
          if (options_.year_ahead && position + 1 < years.size() && !Stopped(Server::kUpdate) &&
              !Cancelled()) {
            try {
              ahead = std::async(std::launch::async, &SeasonUpdate::PrepareYear, this,
                                 std::cref(years[position + 1]));
            } catch (const std::system_error&) {
              // No second thread: the next year comes after this one as before.
            }
          }
          ScopedTimer timer(Counter(&SeasonUpdateStats::commit_ns));
          ok = current.files->Commit();
        }
        // A retry goes before the next year, which is then asked for again.
        if (!ok && ahead.valid()) ahead.get();
        // A cancel that cut the attempt short ends the step without counting it.
        if (!ok && Cancelled()) return false;
        out_.WriteLine(ProgressLine(ProgressValue(position, years.size())));
      }
      if (year_too_large_) too_large_years_.push_back(years[position]);
      // A year not asked for any more still moves the bar.
      if (attempt == 0) out_.WriteLine(ProgressLine(ProgressValue(position, years.size())));
      (ok ? data_done_ : data_failed_).push_back(years[position]);
      if (verdicts != nullptr) verdicts->Reached(position + 1);
      if (ok) {
        failed_years_ = 0;
      } else if (attempt > 0 && archive_not_delivered_ &&
                 ++failed_years_ >= options_.year_failure_streak) {
        GiveUp(Server::kUpdate, FailedInARowReason(Server::kUpdate, options_.year_failure_streak));
      }
    }
    return true;
  }

  PictureAnswer FetchPicture(const std::string& path) {
    // A game server that has stopped answering would cost the full waits of
    // every picture still to come.
    if (Cancelled() || Stopped(Server::kGame)) return {};
    ScopedTimer timer(Counter(&SeasonUpdateStats::picture_fetch_ns));
    std::unique_ptr<HttpConnection> connection = OpenHttpRequest(
        options_.servers.game_host, options_.servers.game_port, "GET /" + path + " HTTP/1.1", "",
        "", "", "", Limits(Server::kGame, options_.picture_total_ms));
    PictureAnswer answer = ReadPictureAnswer(connection.get());
    bool answered = connection && connection->status > 0;
    silent_requests_ = answered ? 0 : silent_requests_ + 1;
    if (silent_requests_ >= options_.picture_silences) {
      GiveUp(Server::kGame, SilentPicturesReason());
    }
    GiveUpWhenTooSlow(Server::kGame, connection.get());
    CountPictureAnswer(path, answer.kind != PictureAnswer::Kind::kFailed);
    CloseHttpConnection(std::move(connection));
    // Checked before the caller stores the bytes.
    if (answer.kind == PictureAnswer::Kind::kPicture && !MayWrite(answer.bytes.size())) answer = {};
    if (answer.kind == PictureAnswer::Kind::kPicture && stats_) {
      stats_->picture_bytes += static_cast<int64_t>(answer.bytes.size());
      ++stats_->pictures_fetched;
    }
    return answer;
  }

  // A picture the server answered whole, with the picture or with "gone",
  // ends a run of failures; each other picture failed adds one (its retries
  // do not), and a long run gives the server up.
  void CountPictureAnswer(const std::string& path, bool usable) {
    if (usable) {
      failed_pictures_ = 0;
      last_failed_path_.clear();
    } else if (path != last_failed_path_) {
      last_failed_path_ = path;
      if (++failed_pictures_ >= options_.picture_failure_streak) {
        GiveUp(Server::kGame, FailedInARowReason(Server::kGame, options_.picture_failure_streak));
      }
    }
  }

  // Steps 2 and 3 side by side: a year's pictures are fetched and written
  // while later years' data load, with step 3's lines held back until step 2
  // is over. Only step 3 touches the game server, the picture store and
  // their counters, and only step 2 the update server; both ask the disk
  // reserve, which takes calls from either. False when no second thread
  // could be had, and nothing was done.
  bool LoadDataAndImages(const MissingYears& missing) {
    if (!options_.pictures_alongside) return false;
    DataVerdicts verdicts(missing.data);
    HeldLineWriter held(out_);
    std::future<bool> images;
    try {
      images = std::async(std::launch::async, &SeasonUpdate::LoadImages, this,
                          std::cref(missing.images), std::ref(held), &verdicts);
    } catch (const std::system_error&) {
      return false;
    }
    {
      // Step 3 stops waiting for the years still to come, also when step 2
      // ends early or throws.
      struct EndOfData {
        DataVerdicts& verdicts;
        ~EndOfData() { verdicts.End(); }
      } end_of_data{verdicts};
      cancelled_ = !LoadData(missing.data, &verdicts);
    }
    cancelled_ ? held.Drop() : held.Release();
    const bool images_ok = images.get();
    cancelled_ = cancelled_ || !images_ok;
    return true;
  }

  // Step 3. False when cancelled. With `verdicts`, a year whose data step 2
  // still loads is waited for.
  bool LoadImages(const std::vector<std::string>& years, LineWriter& out, DataVerdicts* verdicts) {
    ScopedTimer step_timer(Counter(&SeasonUpdateStats::picture_step_ns));
    out.WriteLine(StepLine(3));
    // A fresh season has no index yet; without one nothing could be stored.
    fs::path index = season_folder_ / kImageStoreFile;
    if (IsRealFolder(season_folder_) && !Exists(index) && !reserve_.refused()) {
      WriteFileAtomically(index, "");
    }
    PictureFetcher fetch = [this](const std::string& path) { return FetchPicture(path); };
    SeasonPictureStore store(season_folder_, random_, options_.attempts);
    // Whether a year's pictures are complete is known only once the store has
    // named its last batch; the lists keep the years in order.
    std::vector<std::pair<std::string, bool>> outcomes;  // year, handed to the store
    for (size_t position = 0; position < years.size(); ++position) {
      if (Cancelled()) break;
      const std::string& year = years[position];
      if (verdicts != nullptr) verdicts->WaitFor(year);
      // Pictures come from the year's data files. A year without them waits
      // for its data; it failed only when its data was wanted now.
      if (reserve_.refused()) {
        outcomes.emplace_back(year, false);
      } else if (HasYearData(season_folder_ / year)) {
        int64_t fetch_before = stats_ ? stats_->picture_fetch_ns : 0;
        ScopedTimer timer(Counter(&SeasonUpdateStats::picture_store_ns));
        std::vector<std::string> too_large = store.StoreYear(year, fetch);
        outcomes.emplace_back(year, true);
        too_large_.insert(too_large_.end(), too_large.begin(), too_large.end());
        if (stats_) stats_->picture_store_ns -= stats_->picture_fetch_ns - fetch_before;
      } else if (data_wanted_) {
        outcomes.emplace_back(year, false);
      }
      out.WriteLine(ProgressLine(ProgressValue(position, years.size())));
    }
    // Also after a cancel: what was fetched is kept and named.
    std::vector<std::string> complete;
    {
      ScopedTimer timer(Counter(&SeasonUpdateStats::picture_store_ns));
      complete = store.Finish();
    }
    for (const auto& [year, stored] : outcomes) {
      const bool done =
          stored && std::find(complete.begin(), complete.end(), year) != complete.end();
      (done ? images_done_ : images_failed_).push_back(year);
    }
    return !Cancelled();
  }

  std::string season_text_;
  fs::path season_folder_;
  const SeasonUpdateOptions& options_;
  SeasonUpdateStats* stats_;
  LineWriter& out_;
  std::mt19937 random_;
  bool data_wanted_ = false;
  bool cancelled_ = false;
  int silent_requests_ = 0;
  int failed_pictures_ = 0;
  int failed_years_ = 0;
  bool archive_not_delivered_ = false;
  bool year_too_large_ = false;
  std::vector<std::string> too_large_years_;
  std::string last_failed_path_;
  DiskReserve reserve_;
  RateWindow update_window_;
  RateWindow game_window_;
  bool update_gone_ = false;
  bool game_gone_ = false;
  std::vector<std::string> reasons_;
  std::vector<std::string> picture_reasons_;
  std::vector<std::string> data_done_;
  std::vector<std::string> data_failed_;
  std::vector<std::string> images_done_;
  std::vector<std::string> images_failed_;
  std::vector<std::string> too_large_;
};

}  // namespace

void YearListReader::Feed(std::string_view piece) {
  bytes_ += static_cast<int64_t>(piece.size());
  if (ended_) return;
  if (!partial_.empty()) {
    size_t take = std::min(kYearTokenSize - partial_.size(), piece.size());
    partial_.append(piece.substr(0, take));
    piece.remove_prefix(take);
    if (partial_.size() < kYearTokenSize) return;
    Take(partial_);
    partial_.clear();
  }
  for (; !ended_ && piece.size() >= kYearTokenSize; piece.remove_prefix(kYearTokenSize)) {
    Take(piece.substr(0, kYearTokenSize));
  }
  if (!ended_) partial_.assign(piece);
}

void YearListReader::Take(std::string_view token) {
  if (!IsDigit(token[0])) {
    ended_ = true;
    return;
  }
  if (!std::all_of(token.begin(), token.end(), IsDigit)) return;
  size_t number = static_cast<size_t>(std::stoi(std::string(token)));
  if (seen_[number]) return;
  seen_[number] = true;
  years_.emplace_back(token);
}

std::vector<std::string> ParseYearList(std::string_view body) {
  YearListReader reader;
  reader.Feed(body);
  return reader.years();
}

MissingYears FindMissingYears(const fs::path& season_folder,
                              const std::vector<std::string>& years) {
  MissingYears missing;
  IniFile index;
  OpenPictureIndex(index, season_folder);
  SettledPictures settled;
  settled.Load(season_folder);
  for (const std::string& year : years) {
    fs::path folder = season_folder / year;
    if (!Exists(folder)) {
      missing.data.push_back(year);
      missing.images.push_back(year);
      continue;
    }
    bool has_data = HasYearData(folder);
    if (!has_data) missing.data.push_back(year);
    if (has_data ? !YearPicturesComplete(season_folder, year, index, settled)
                 : !IsRealFolder(folder / kImagesFolderName)) {
      missing.images.push_back(year);
    }
  }
  for (std::vector<std::string>* list : {&missing.data, &missing.images}) {
    std::sort(list->begin(), list->end());
    list->erase(std::unique(list->begin(), list->end()), list->end());
  }
  return missing;
}

SeasonUpdateOutcome UpdateSeason(int64_t season, bool data_wanted, bool images_wanted,
                                 const SeasonUpdateOptions& options, LineWriter& out) {
  return SeasonUpdate(season, options, out).Run(data_wanted, images_wanted);
}

}  // namespace wunt
