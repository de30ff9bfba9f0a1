#include "updater/image_store.h"

#include <zlib.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "updater/http_client.h"

namespace wunt {

namespace fs = std::filesystem;

const FixedPictureSize kFixedPictureSizes[23] = {
    {"attraktionen/186q.jpg", 250, 50},  {"attraktionen/182h.jpg", 50, 250},
    {"attraktionen/184h.jpg", 50, 400},  {"attraktionen/183h.jpg", 50, 650},
    {"attraktionen/188q.jpg", 650, 50},  {"attraktionen/189q.jpg", 650, 50},
    {"attraktionen/190q.jpg", 250, 50},  {"attraktionen/191q.jpg", 250, 250},
    {"attraktionen/192h.jpg", 200, 250}, {"attraktionen/195h.jpg", 250, 300},
    {"attraktionen/194h.jpg", 250, 350}, {"attraktionen/201h.jpg", 200, 300},
    {"attraktionen/193h.jpg", 200, 250}, {"attraktionen/196h.jpg", 250, 250},
    {"attraktionen/198h.jpg", 250, 350}, {"attraktionen/199h.jpg", 200, 350},
    {"attraktionen/200h.jpg", 200, 350}, {"attraktionen/202q.jpg", 250, 200},
    {"attraktionen/203q.jpg", 250, 200}, {"attraktionen/204q.jpg", 250, 200},
    {"attraktionen/205q.jpg", 250, 200}, {"attraktionen/206q.jpg", 400, 200},
    {"attraktionen/207q.jpg", 400, 200},
};

namespace {

constexpr int kPictureCell = 50;
constexpr int kMaxNameTries = 100;
// Pictures wait for the disk together in batches; these bound the files held
// open and the bytes held for name checks.
constexpr size_t kBatchFiles = 16;
constexpr size_t kBatchBytes = 32u << 20;

}  // namespace

std::string PictureFileName(std::string_view bytes, std::string_view extension) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes at most uInt per call.
  for (size_t at = 0; at < bytes.size(); at += 1u << 30) {
    std::string_view part = bytes.substr(at, 1u << 30);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(part.data()), static_cast<uInt>(part.size()));
  }
  std::string name = std::to_string(static_cast<int32_t>(static_cast<uint32_t>(crc)));
  name += '.';
  name += extension;
  return name;
}

namespace {

// A folder the updater may write into: there already as a real folder, or
// made now. A link is refused, since writing through it would land outside
// the season.
bool UsableFolder(const fs::path& folder) {
  std::error_code ec;
  fs::file_status status = fs::symlink_status(folder, ec);
  if (fs::is_symlink(status)) return false;
  if (fs::is_directory(status)) return true;
  return fs::create_directory(folder, ec) && !ec;
}

// The regular file `relative` names below `folder`, reached through real
// folders only; nothing when any step is a link or of the wrong kind.
std::optional<fs::path> FileWithoutLinks(const fs::path& folder, const fs::path& relative) {
  fs::path path = folder;
  for (auto step = relative.begin(); step != relative.end(); ++step) {
    path /= *step;
    std::error_code ec;
    fs::file_status status = fs::symlink_status(path, ec);
    bool last = std::next(step) == relative.end();
    if (last ? !fs::is_regular_file(status) : !fs::is_directory(status)) return std::nullopt;
  }
  return path;
}

// Pictures written under temporary names and started for the disk together.
// Each is synced and renamed into place only when the batch is committed, and
// only then named in the index: after a kill at any point every picture is
// whole or absent, and the index names none that is not on the disk. A batch
// may hold pictures of several years, each bound for its own folder.
class PictureBatch {
 public:
  // `settled` hears of every picture once it is on the disk under its name
  // (`name` set), or failed to get there (`name` null).
  using SettledCall = std::function<void(const std::string& path, const std::string& year,
                                         const std::string* name)>;
  explicit PictureBatch(SettledCall settled) : settled_(std::move(settled)) {}

  // Takes the picture under its name in `images`, with random digits put in
  // front while the name is taken by other bytes, there or in the batch.
  bool Add(const fs::path& images, const std::string& year, const std::string& path,
           std::string bytes, std::string_view extension, std::mt19937& random) {
    std::string name = PictureFileName(bytes, extension);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int tries = 0; tries < kMaxNameTries; ++tries) {
      auto same_name = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) {
        return p.name == name && p.images == images;
      });
      if (same_name != pending_.end()) {
        if (same_name->bytes == bytes) {
          same_name->paths.push_back(path);
          return true;
        }
      } else {
        std::error_code ec;
        fs::file_status status = fs::symlink_status(images / name, ec);
        if (status.type() == fs::file_type::not_found) {
          return Start(images, year, path, name, std::move(bytes));
        }
        if (fs::is_regular_file(status) && ReadWholeFile(images / name) == bytes) {
          settled_(path, year, &name);
          return true;
        }
      }
      name.insert(name.begin(), static_cast<char>('0' + digit(random)));
    }
    return false;
  }

  // Syncs and renames every waiting picture; false when any of them failed
  // (that one stays open for a later run).
  bool Commit() {
    std::vector<AtomicFileWriter*> writers;
    for (Pending& picture : pending_) writers.push_back(picture.writer.get());
    SyncTogether(writers);
    bool ok = true;
    for (Pending& picture : pending_) {
      const bool stored = picture.writer->Commit();
      ok = ok && stored;
      for (const std::string& path : picture.paths) {
        settled_(path, picture.year, stored ? &picture.name : nullptr);
      }
    }
    pending_.clear();
    held_bytes_ = 0;
    return ok;
  }

  bool empty() const { return pending_.empty(); }
  bool full() const { return pending_.size() >= kBatchFiles || held_bytes_ >= kBatchBytes; }

 private:
  struct Pending {
    fs::path images;
    std::string year;
    std::string name;
    std::string bytes;
    std::vector<std::string> paths;
    std::unique_ptr<AtomicFileWriter> writer;
  };

  bool Start(const fs::path& images, const std::string& year, const std::string& path,
             const std::string& name, std::string bytes) {
    auto writer = std::make_unique<AtomicFileWriter>();
    if (!writer->Open(images / name) || !writer->Write(bytes) || !writer->StartWriteBack()) {
      return false;
    }
    held_bytes_ += bytes.size();
    pending_.push_back(Pending{images, year, name, std::move(bytes), {path}, std::move(writer)});
    return true;
  }

  SettledCall settled_;
  std::vector<Pending> pending_;
  size_t held_bytes_ = 0;
};

bool IsYearName(const std::string& year) {
  return !year.empty() && year.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::optional<std::string> StorePicture(const fs::path& images_folder, std::string_view bytes,
                                        std::string_view extension, std::mt19937& random) {
  std::optional<std::string> stored;
  PictureBatch batch([&stored](const std::string&, const std::string&, const std::string* name) {
    if (name) stored = *name;
  });
  if (!batch.Add(images_folder, "", "", std::string(bytes), extension, random) || !batch.Commit()) {
    return std::nullopt;
  }
  return stored;
}

struct SeasonPictureStore::State {
  State(fs::path folder, std::mt19937& random_source, int attempt_count)
      : season_folder(std::move(folder)),
        random(random_source),
        attempts(attempt_count),
        batch([this](const std::string& path, const std::string& year, const std::string* name) {
          Settle(path, year, name);
        }) {
    settled.Load(season_folder);
    OpenIndex();
  }

  void OpenIndex() {
    index_open = OpenPictureIndex(index, season_folder);
    if (index_open) index.SelectGroup("");
  }

  // A picture of the batch is on the disk or failed: every year that waits
  // for its path learns of it.
  void Settle(const std::string& path, const std::string& year, const std::string* name) {
    std::vector<std::string> needing{year};
    if (auto at = waiting.find(path); at != waiting.end()) {
      needing = std::move(at->second);
      waiting.erase(at);
    }
    const bool named = name != nullptr && index_open;
    if (named) index.WriteString(path, StoredPictureValue(year, *name));
    for (std::string& waiting_year : needing) {
      (named ? unwritten : failed).insert(std::move(waiting_year));
    }
  }

  // The batch goes to the disk, then the index naming its pictures and the
  // settled list; a year named in an index that could not be written failed.
  void Flush(bool reopen) {
    batch.Commit();
    bool written = !index_open || index.CloseIni();
    written = settled.Save(season_folder) && written;
    if (!written) failed.insert(unwritten.begin(), unwritten.end());
    unwritten.clear();
    if (reopen) OpenIndex();
  }

  fs::path season_folder;
  std::mt19937& random;
  int attempts;
  IniFile index;
  bool index_open = false;
  SettledPictures settled;
  PictureBatch batch;
  // Paths waiting in the batch, with every year that needs them.
  std::map<std::string, std::vector<std::string>> waiting;
  std::set<std::string> unwritten;  // years with names not yet in the written index
  std::set<std::string> failed;
  std::vector<std::string> years;  // handed in, in order
};

SeasonPictureStore::SeasonPictureStore(const fs::path& season_folder, std::mt19937& random,
                                       int attempts)
    : state_(std::make_unique<State>(season_folder, random, attempts)) {}

SeasonPictureStore::~SeasonPictureStore() = default;

std::vector<std::string> SeasonPictureStore::StoreYear(const std::string& year,
                                                       const PictureFetcher& fetch) {
  State& s = *state_;
  std::vector<std::string> too_large;
  s.years.push_back(year);
  // The year becomes part of paths and index values.
  if (!IsYearName(year)) {
    s.failed.insert(year);
    return too_large;
  }
  fs::path year_folder = s.season_folder / year;
  fs::path images = year_folder / kImagesFolderName;
  std::error_code ec;
  if (!s.index_open || !fs::is_directory(fs::symlink_status(year_folder, ec)) ||
      !UsableFolder(images)) {
    s.failed.insert(year);
    return too_large;
  }
  bool complete = true;
  for (const std::string& path : CollectPicturePaths(year_folder)) {
    if (!IsSafePicturePath(path) || !s.index.ReadString(path, "").empty() ||
        s.settled.Contains(path)) {
      continue;
    }
    if (auto at = s.waiting.find(path); at != s.waiting.end()) {
      at->second.push_back(year);
      continue;
    }
    std::string extension = *PictureExtension(path);
    bool done = false;
    for (int attempt = 0; attempt < s.attempts && !done; ++attempt) {
      PictureAnswer answer = fetch(path);
      switch (answer.kind) {
        case PictureAnswer::Kind::kPicture:
          s.waiting[path] = {year};
          done = s.batch.Add(images, year, path, std::move(answer.bytes), extension, s.random);
          if (!done) s.waiting.erase(path);
          if (s.batch.full()) s.Flush(true);
          break;
        case PictureAnswer::Kind::kNotOnServer:
        case PictureAnswer::Kind::kTooLarge: {
          bool is_too_large = answer.kind == PictureAnswer::Kind::kTooLarge;
          if (is_too_large) too_large.push_back(path);
          done = s.settled.Settle(
              path, is_too_large ? SettledReason::kTooLarge : SettledReason::kNotOnServer);
          if (done) s.unwritten.insert(year);
          // A definite answer is not asked again in this run, settled or not.
          attempt = s.attempts;
          break;
        }
        case PictureAnswer::Kind::kFailed:
          break;
      }
    }
    complete = complete && done;
  }
  if (!complete) s.failed.insert(year);
  return too_large;
}

std::vector<std::string> SeasonPictureStore::Finish() {
  State& s = *state_;
  // What was stored or settled so far counts even when some failed: written
  // either way, so a later run asks only for what is still open.
  s.Flush(false);
  std::vector<std::string> complete;
  for (std::string& year : s.years) {
    if (!s.failed.contains(year)) complete.push_back(std::move(year));
  }
  s.years.clear();
  return complete;
}

YearPicturesResult StoreYearPictures(const fs::path& season_folder, const std::string& year,
                                     const PictureFetcher& fetch, std::mt19937& random,
                                     int attempts) {
  SeasonPictureStore store(season_folder, random, attempts);
  YearPicturesResult result;
  result.too_large = store.StoreYear(year, fetch);
  result.complete = !store.Finish().empty();
  return result;
}

PictureAnswer ReadPictureAnswer(HttpConnection* connection) {
  PictureAnswer answer;
  if (connection == nullptr) return answer;
  bool too_large = false;
  bool ok = FetchToSink(connection, [&](std::string_view piece) {
    // An error page is no picture: storing it would hide the picture for
    // good, so it is not even read.
    if (connection->status < 200 || connection->status > 299) return false;
    const bool announced_too_large =
        connection->has_content_length &&
        connection->content_length > static_cast<int64_t>(kMaxPictureBytes);
    if (announced_too_large || answer.bytes.size() + piece.size() > kMaxPictureBytes) {
      too_large = true;
      return false;
    }
    answer.bytes.append(piece);
    return true;
  });
  const int32_t status = connection->status;
  if (status == 404 || status == 410) {
    answer.kind = PictureAnswer::Kind::kNotOnServer;
  } else if (status >= 200 && status <= 299 &&
             (too_large || (connection->has_content_length &&
                            connection->content_length > static_cast<int64_t>(kMaxPictureBytes)))) {
    answer.kind = PictureAnswer::Kind::kTooLarge;
  } else if (ok && status >= 200 && status <= 299 && !answer.bytes.empty()) {
    answer.kind = PictureAnswer::Kind::kPicture;
    return answer;
  }
  answer.bytes.clear();
  return answer;
}

bool OpenPictureIndex(IniFile& index, const fs::path& season_folder) {
  if (!FileWithoutLinks(season_folder, kImageStoreFile)) return false;
  return index.OpenIni(season_folder / kImageStoreFile);
}

std::optional<std::string> FetchPictureFromServer(const std::string& host, int port,
                                                  const std::string& path) {
  std::unique_ptr<HttpConnection> connection =
      OpenHttpRequest(host, port, "GET /" + path + " HTTP/1.1", "", "", "", "");
  if (!connection) return std::nullopt;
  std::optional<std::string> body = FetchToMemory(connection.get());
  CloseHttpConnection(std::move(connection));
  return body;
}

void FixPictureSizes(const fs::path& season_folder) {
  IniFile index;
  if (!OpenPictureIndex(index, season_folder)) return;
  index.SelectGroup("");
  // The repaired pictures wait for the disk together; each replaces its file
  // whole, so a kill leaves the old picture or the new one.
  std::vector<std::unique_ptr<AtomicFileWriter>> repaired;
  std::set<fs::path> repaired_files;
  auto commit_repaired = [&] {
    std::vector<AtomicFileWriter*> writers;
    for (auto& writer : repaired) writers.push_back(writer.get());
    SyncTogether(writers);
    for (auto& writer : repaired) writer->Commit();
    repaired.clear();
    repaired_files.clear();
  };
  for (const FixedPictureSize& row : kFixedPictureSizes) {
    std::string value = index.ReadString(row.path, "");
    if (value.empty() || !StaysInsideFolder(value)) continue;
    std::optional<fs::path> found = FileWithoutLinks(season_folder, ReplaceAll(value, "\\", "/"));
    if (!found) continue;
    const fs::path& file = *found;
    // A picture named by two rows is read again as the first row left it.
    if (repaired_files.contains(file)) commit_repaired();
    std::optional<RasterImage> picture = LoadImageFile(file);
    if (!picture || (picture->width() == row.width && picture->height() == row.height)) continue;
    RasterImage tiled(row.width, row.height, Rgb{0, 0, 0});
    // Each drawing covers the earlier ones, so every cell ends up with the
    // picture's top-left corner.
    for (int x = 0; x < row.width; x += kPictureCell) {
      for (int y = 0; y < row.height; y += kPictureCell) tiled.Draw(*picture, x, y);
    }
    auto writer = std::make_unique<AtomicFileWriter>();
    if (writer->Open(file) && writer->Write(EncodeBmp(tiled)) && writer->StartWriteBack()) {
      repaired.push_back(std::move(writer));
      repaired_files.insert(file);
    }
  }
  commit_repaired();
  index.CloseIni();
}

}  // namespace wunt
