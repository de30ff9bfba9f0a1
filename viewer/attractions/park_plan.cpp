#include "viewer/attractions/park_plan.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/season_pictures.h"
#include "common/text.h"
#include "viewer/attractions/picture_index.h"
#include "viewer/data/game_years.h"

namespace wunt {
namespace {

// Game-year folders have four-digit names, so no park spans more years.
constexpr int64_t kMaxPlanYears = 9999 - 1000 + 1;

size_t PictureBytes(const RasterImage& image) {
  return static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()) * 3;
}

// Reads a year's layout; nothing when its Park.ini cannot be opened.
std::optional<std::vector<ParkRun>> ReadYearLayout(const ParkPlanRequest& request, int32_t year) {
  IniFile ini;
  if (!ini.OpenIni(YearFolder(request.season_folder, year) / kParkFile)) return std::nullopt;
  return ReadParkRuns(ini, request.park_id);
}

}  // namespace

// The decoded pictures of one plan, by slot: decoded when first asked for,
// the least recently used given up once the budget is exceeded. A picture
// in use by a drawing stays alive until that drawing is done.
class ParkPlans::Pictures {
 public:
  Pictures(std::vector<std::filesystem::path> files, size_t budget)
      : files_(std::move(files)), budget_(budget), slots_(files_.size()) {}

  // The picture of `slot`; null when it does not load.
  std::shared_ptr<const RasterImage> Get(int32_t slot) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Slot& s = slots_[static_cast<size_t>(slot)];
      if (s.broken) return nullptr;
      if (s.image) {
        s.used = ++clock_;
        return s.image;
      }
    }
    std::optional<RasterImage> decoded = LoadPlacedPicture(files_[static_cast<size_t>(slot)]);
    std::lock_guard<std::mutex> lock(mutex_);
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.used = ++clock_;
    if (s.image) return s.image;  // another thread was quicker
    if (!decoded) {
      s.broken = true;
      return nullptr;
    }
    s.image = std::make_shared<const RasterImage>(std::move(*decoded));
    bytes_ += PictureBytes(*s.image);
    while (bytes_ > budget_) {
      Slot* oldest = nullptr;
      for (Slot& other : slots_) {
        if (other.image && &other != &s && (oldest == nullptr || other.used < oldest->used)) {
          oldest = &other;
        }
      }
      if (oldest == nullptr) break;
      bytes_ -= PictureBytes(*oldest->image);
      oldest->image.reset();
    }
    return s.image;
  }

  size_t bytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
  }
  int count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(slots_.begin(), slots_.end(),
                                          [](const Slot& s) { return s.image != nullptr; }));
  }

 private:
  struct Slot {
    std::shared_ptr<const RasterImage> image;
    uint64_t used = 0;
    bool broken = false;
  };
  const std::vector<std::filesystem::path> files_;
  const size_t budget_;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  uint64_t clock_ = 0;
  size_t bytes_ = 0;
};

std::optional<RasterImage> LoadPlacedPicture(const std::filesystem::path& file) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxPictureBytes) return std::nullopt;
  const std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return std::nullopt;
  const std::optional<PictureSize> declared = DeclaredPictureSize(*bytes);
  if (!declared || declared->width > kPlanWidth || declared->height > kPlanHeight) {
    return std::nullopt;
  }
  return DecodeImage(*bytes);
}

bool RunPlanWork(int count, const WorkControl& control, const std::function<void(int)>& job) {
  WorkControl bounded = control;
  const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
  bounded.threads = std::min(control.threads != 0 ? control.threads : cores, kPlanThreads);
  std::atomic<bool> out_of_memory{false};
  const bool done = RunParallel(count, bounded, [&](int i) {
    if (out_of_memory) return;
    try {
      job(i);
    } catch (const std::bad_alloc&) {
      out_of_memory = true;
    }
  });
  if (out_of_memory) throw std::bad_alloc();
  return done;
}

void DrawImageBlended(RasterImage& target, const RasterImage& picture, int x, int y, int alpha) {
  alpha = std::clamp(alpha, 0, 255);
  const int x0 = std::max(x, 0);
  const int y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<int64_t>(int64_t{x} + picture.width(), target.width()));
  const int y1 =
      static_cast<int>(std::min<int64_t>(int64_t{y} + picture.height(), target.height()));
  if (x0 >= x1 || y0 >= y1) return;
  const int keep = 255 - alpha;
  const size_t count = static_cast<size_t>(x1 - x0) * 3;
  for (int row = y0; row < y1; ++row) {
    uint8_t* dst = target.Row(row) + static_cast<size_t>(x0) * 3;
    const uint8_t* src = picture.Row(row - y) + static_cast<size_t>(x0 - x) * 3;
    for (size_t i = 0; i < count; ++i) {
      dst[i] = static_cast<uint8_t>((src[i] * alpha + dst[i] * keep + 127) / 255);
    }
  }
}

std::optional<ParkPlans> ParkPlans::Load(const ParkPlanRequest& request,
                                         const WorkControl& control) {
  ParkPlans plans;
  plans.request_ = request;
  const int64_t span = int64_t{request.last_year} - request.first_year + 1;
  if (span < 1 || span > kMaxPlanYears) return plans;
  const int count = static_cast<int>(span);

  // Reading the years is half the work, decoding the pictures the other.
  const auto phase = [&control, count](int base) {
    WorkControl part = control;
    if (control.progress) {
      part.progress = [&control, base, count](int64_t done, int64_t total) {
        control.progress(base + done * count / total, 2 * count);
      };
    }
    return part;
  };

  std::vector<std::optional<std::vector<ParkRun>>> layouts(static_cast<size_t>(count));
  if (!RunPlanWork(count, phase(0), [&](int i) {
        layouts[static_cast<size_t>(i)] = ReadYearLayout(request, request.first_year + i);
      })) {
    return std::nullopt;
  }

  PictureIndex index;
  const bool indexed = index.Open(request.season_folder);
  // Each picture file is decoded once, however many years and paths use it.
  std::unordered_map<std::string, int32_t> slot_of_path;
  std::unordered_map<std::string, int32_t> slot_of_file;
  std::vector<std::filesystem::path> files;
  const auto slot_for = [&](const std::string& picture_path) {
    auto [it, fresh] = slot_of_path.try_emplace(FoldCaseAZ(picture_path), -1);
    if (!fresh) return it->second;
    if (std::optional<std::filesystem::path> file = index.Find(picture_path)) {
      auto [file_it, new_file] =
          slot_of_file.try_emplace(file->string(), static_cast<int32_t>(files.size()));
      if (new_file) files.push_back(*file);
      it->second = file_it->second;
    }
    return it->second;
  };

  // A year without its own Park.ini shares the layout of the year before,
  // so the placements take memory per file read, not per year.
  plans.years_.resize(static_cast<size_t>(count));
  for (size_t i = 0; i < layouts.size(); ++i) {
    if (layouts[i] && indexed) {
      std::vector<Placement>& placed = plans.layouts_.emplace_back();
      for (const ParkRun& p : *layouts[i]) {
        const int32_t slot = slot_for(p.picture_path);
        if (slot >= 0) placed.push_back({slot, p.x, p.y});
      }
      layouts[i].reset();
    }
    plans.years_[i].has_plan = indexed;
    plans.years_[i].layout = static_cast<int32_t>(plans.layouts_.size()) - 1;
  }

  plans.pictures_ = std::make_shared<Pictures>(std::move(files), request.picture_budget);
  // Decoding now finds the pictures that do not load and spares the first
  // drawings the work.
  if (!RunPlanWork(static_cast<int>(slot_of_file.size()), phase(count),
                   [&](int i) { plans.pictures_->Get(i); })) {
    return std::nullopt;
  }
  if (slot_of_file.empty() && control.progress) control.progress(2 * count, 2 * count);
  return plans;
}

bool ParkPlans::HasPlan(int32_t year) const {
  const int64_t i = int64_t{year} - request_.first_year;
  return i >= 0 && i < static_cast<int64_t>(years_.size()) &&
         years_[static_cast<size_t>(i)].has_plan;
}

bool ParkPlans::Draw(int32_t year, RasterImage& canvas) const {
  if (!HasPlan(year)) {
    canvas = RasterImage();
    return false;
  }
  if (canvas.width() == kPlanWidth && canvas.height() == kPlanHeight) {
    canvas.Fill({255, 255, 255});
  } else {
    canvas = RasterImage(kPlanWidth, kPlanHeight);
  }
  // File order: later attractions cover earlier ones.
  const int32_t layout = years_[static_cast<size_t>(year - request_.first_year)].layout;
  if (layout < 0) return true;
  for (const Placement& p : layouts_[static_cast<size_t>(layout)]) {
    if (const std::shared_ptr<const RasterImage> picture = pictures_->Get(p.picture)) {
      canvas.Draw(*picture, p.x, p.y);
    }
  }
  return true;
}

int ParkPlans::picture_count() const { return pictures_ ? pictures_->count() : 0; }

size_t ParkPlans::MemoryBytes() const {
  size_t bytes = sizeof(*this) + (pictures_ ? pictures_->bytes() : 0);
  bytes += years_.capacity() * sizeof(YearPlan);
  for (const auto& placed : layouts_)
    bytes += sizeof(placed) + placed.capacity() * sizeof(Placement);
  return bytes;
}

}  // namespace wunt
