#include "updater/season_update.h"

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <random>

#include "common/file_util.h"
#include "updater/game_year_archive.h"
#include "updater/image_store.h"

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

class SeasonUpdate {
 public:
  SeasonUpdate(int64_t season, const SeasonUpdateOptions& options, LineWriter& out)
      : season_text_(std::to_string(season)),
        season_folder_(options.data_folder / season_text_),
        options_(options),
        stats_(options.stats),
        out_(out),
        random_(std::random_device{}()) {}

  SeasonUpdateOutcome Run(bool data_wanted, bool images_wanted) {
    std::optional<MissingYears> missing = FindMissing();
    if (!missing) return SeasonUpdateOutcome::kFailed;
    bool cancelled = Cancelled();
    std::vector<std::string> data_done;
    std::vector<std::string> images_done;
    if (data_wanted && !cancelled) cancelled = !LoadData(missing->data, data_done);
    if (images_wanted && !cancelled) cancelled = !LoadImages(missing->images, images_done);
    {
      ScopedTimer timer(Counter(&SeasonUpdateStats::fix_sizes_ns));
      FixPictureSizes(season_folder_);
    }
    if (cancelled) {
      out_.WriteLine(kCancelLine);
      return SeasonUpdateOutcome::kCancelled;
    }
    out_.WriteLine(ReadyLine(data_done, images_done, data_wanted, images_wanted));
    return SeasonUpdateOutcome::kReady;
  }

 private:
  int64_t* Counter(int64_t SeasonUpdateStats::*field) {
    return stats_ ? &(stats_->*field) : nullptr;
  }

  bool Cancelled() const { return options_.cancel != nullptr && options_.cancel->load(); }

  // Step 1; nothing after an error line.
  std::optional<MissingYears> FindMissing() {
    out_.WriteLine(StepLine(1));
    ProgressTicker ticker(out_, options_.ticker_interval);
    if (!ticker.Start()) {
      out_.WriteLine(kErrorUndefined);
      return std::nullopt;
    }
    std::optional<std::string> body;
    {
      ScopedTimer timer(Counter(&SeasonUpdateStats::year_list_ns));
      std::unique_ptr<HttpConnection> connection =
          OpenHttpRequest(options_.servers.update_host, options_.servers.update_port,
                          "GET /WUNT2_Get.php?round=" + season_text_ + " HTTP/1.1", "text/plain",
                          "text/plain", "", "", options_.http);
      if (connection) body = FetchToMemory(connection.get());
      CloseHttpConnection(std::move(connection));
    }
    if (!body) {
      ticker.Stop();
      out_.WriteLine(kErrorServerUnreachable);
      return std::nullopt;
    }
    MissingYears missing = FindMissingYears(season_folder_, ParseYearList(*body));
    ticker.Stop();
    return missing;
  }

  bool FetchArchive(const std::string& year, const fs::path& archive) {
    ScopedTimer timer(Counter(&SeasonUpdateStats::archive_fetch_ns));
    std::unique_ptr<HttpConnection> connection =
        OpenHttpRequest(options_.servers.update_host, options_.servers.update_port,
                        "GET /WUNT2_" + season_text_ + "/" + year + " HTTP/1.1", "text/plain",
                        "text/plain", "", "", options_.http);
    bool ok = connection && FetchToFile(connection.get(), archive);
    if (ok && stats_) stats_->archive_bytes += connection->received;
    CloseHttpConnection(std::move(connection));
    return ok;
  }

  bool LoadYear(const std::string& year) {
    // The process id keeps two updaters that share the temporary folder
    // apart.
    fs::path archive =
        options_.temp_folder / (year + "_WUNT_" + std::to_string(static_cast<int64_t>(getpid())));
    bool ok = FetchArchive(year, archive);
    if (ok) {
      ScopedTimer timer(Counter(&SeasonUpdateStats::unpack_ns));
      ok = UnpackGameYear(season_folder_ / year, archive);
    }
    std::error_code ec;
    fs::remove(archive, ec);
    return ok;
  }

  // Step 2. False when cancelled.
  bool LoadData(const std::vector<std::string>& years, std::vector<std::string>& done) {
    out_.WriteLine(StepLine(2));
    for (size_t position = 0; position < years.size(); ++position) {
      for (int attempt = 0; attempt < options_.attempts; ++attempt) {
        if (Cancelled()) return false;
        bool ok = LoadYear(years[position]);
        out_.WriteLine(ProgressLine(ProgressValue(position, years.size())));
        if (ok) {
          done.push_back(years[position]);
          break;
        }
      }
    }
    return true;
  }

  std::optional<std::string> FetchPicture(const std::string& path) {
    ScopedTimer timer(Counter(&SeasonUpdateStats::picture_fetch_ns));
    std::unique_ptr<HttpConnection> connection =
        OpenHttpRequest(options_.servers.game_host, options_.servers.game_port,
                        "GET /" + path + " HTTP/1.1", "", "", "", "", options_.http);
    std::optional<std::string> body;
    if (connection) body = FetchToMemory(connection.get());
    // An error page is no picture: storing it would hide the picture for
    // good, since a year's pictures are fetched once.
    if (body && (connection->status < 200 || connection->status > 299)) body.reset();
    CloseHttpConnection(std::move(connection));
    if (body && stats_) {
      stats_->picture_bytes += static_cast<int64_t>(body->size());
      ++stats_->pictures_fetched;
    }
    return body;
  }

  // Step 3. False when cancelled.
  bool LoadImages(const std::vector<std::string>& years, std::vector<std::string>& done) {
    out_.WriteLine(StepLine(3));
    // A fresh season has no index yet; without one nothing could be stored.
    fs::path index = season_folder_ / kImageStoreFile;
    if (Exists(season_folder_) && !Exists(index)) WriteFileAtomically(index, "");
    PictureFetcher fetch = [this](const std::string& path) { return FetchPicture(path); };
    for (size_t position = 0; position < years.size(); ++position) {
      if (Cancelled()) return false;
      const std::string& year = years[position];
      // Pictures come from the year's data files. Without them the "Images"
      // folder would be made empty and the year's pictures never fetched.
      if (Exists(season_folder_ / year / kGameYearFileNames[0])) {
        int64_t fetch_before = stats_ ? stats_->picture_fetch_ns : 0;
        ScopedTimer timer(Counter(&SeasonUpdateStats::picture_store_ns));
        if (StoreYearPictures(season_folder_, year, fetch, random_, options_.attempts)) {
          done.push_back(year);
        }
        if (stats_) stats_->picture_store_ns -= stats_->picture_fetch_ns - fetch_before;
      }
      out_.WriteLine(ProgressLine(ProgressValue(position, years.size())));
    }
    return true;
  }

  std::string season_text_;
  fs::path season_folder_;
  const SeasonUpdateOptions& options_;
  SeasonUpdateStats* stats_;
  LineWriter& out_;
  std::mt19937 random_;
};

}  // namespace

std::vector<std::string> ParseYearList(std::string_view body) {
  std::vector<std::string> years;
  for (size_t at = 0; body.size() - at >= kYearTokenSize; at += kYearTokenSize) {
    std::string_view token = body.substr(at, kYearTokenSize);
    if (!IsDigit(token[0])) break;
    if (std::all_of(token.begin(), token.end(), IsDigit)) years.emplace_back(token);
  }
  return years;
}

MissingYears FindMissingYears(const fs::path& season_folder,
                              const std::vector<std::string>& years) {
  MissingYears missing;
  for (const std::string& year : years) {
    fs::path folder = season_folder / year;
    if (!Exists(folder)) {
      missing.data.push_back(year);
      missing.images.push_back(year);
      continue;
    }
    if (!Exists(folder / kGameYearFileNames[0])) missing.data.push_back(year);
    if (!Exists(folder / "Images")) missing.images.push_back(year);
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
