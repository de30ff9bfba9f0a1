#include "viewer/attractions/park_plan.h"

#include <algorithm>
#include <unordered_map>

#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/attractions/picture_index.h"
#include "viewer/data/game_years.h"

namespace wunt {
namespace {

// A park's span comes from the result table; anything longer than this is
// damage, not a season.
constexpr int64_t kMaxPlanYears = 1000;

// Reads a year's layout; nothing when its Park.ini cannot be opened.
std::optional<std::vector<ParkRun>> ReadYearLayout(const ParkPlanRequest& request, int32_t year) {
  IniFile ini;
  if (!ini.OpenIni(YearFolder(request.season_folder, year) / kParkFile)) return std::nullopt;
  return ReadParkRuns(ini, request.park_id);
}

}  // namespace

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
  if (!RunParallel(count, phase(0), [&](int i) {
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

  struct RawPlacement {
    int32_t slot, x, y;
  };
  std::vector<std::vector<RawPlacement>> raw(static_cast<size_t>(count));
  const std::vector<ParkRun>* current = nullptr;
  const std::vector<ParkRun> none;
  for (size_t i = 0; i < layouts.size(); ++i) {
    if (layouts[i]) current = &*layouts[i];  // otherwise the year before's
    if (!indexed) continue;
    for (const ParkRun& p : current != nullptr ? *current : none) {
      const int32_t slot = slot_for(p.picture_path);
      if (slot >= 0) raw[i].push_back({slot, p.x, p.y});
    }
  }

  std::vector<std::optional<RasterImage>> decoded(files.size());
  if (!RunParallel(static_cast<int>(files.size()), phase(count), [&](int i) {
        decoded[static_cast<size_t>(i)] = LoadPictureFile(files[static_cast<size_t>(i)]);
      })) {
    return std::nullopt;
  }
  if (files.empty() && control.progress) control.progress(2 * count, 2 * count);

  std::vector<int32_t> picture_of_slot(files.size(), -1);
  for (size_t s = 0; s < decoded.size(); ++s) {
    if (!decoded[s]) continue;
    picture_of_slot[s] = static_cast<int32_t>(plans.pictures_.size());
    plans.pictures_.push_back(std::move(*decoded[s]));
  }
  plans.years_.resize(static_cast<size_t>(count));
  for (size_t i = 0; i < raw.size(); ++i) {
    YearPlan& plan = plans.years_[i];
    plan.has_plan = indexed;
    for (const RawPlacement& r : raw[i]) {
      const int32_t picture = picture_of_slot[static_cast<size_t>(r.slot)];
      if (picture >= 0) plan.placements.push_back({picture, r.x, r.y});
    }
  }
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
  for (const Placement& p : years_[static_cast<size_t>(year - request_.first_year)].placements) {
    canvas.Draw(pictures_[static_cast<size_t>(p.picture)], p.x, p.y);
  }
  return true;
}

size_t ParkPlans::MemoryBytes() const {
  size_t bytes = sizeof(*this) + pictures_.capacity() * sizeof(RasterImage);
  for (const RasterImage& p : pictures_)
    bytes += static_cast<size_t>(p.width()) * static_cast<size_t>(p.height()) * 3;
  for (const YearPlan& y : years_) bytes += sizeof(y) + y.placements.capacity() * sizeof(Placement);
  return bytes;
}

}  // namespace wunt
