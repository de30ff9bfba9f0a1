#include "viewer/attractions/park_plan_view.h"

#include <algorithm>
#include <cmath>

#include "common/season_layout.h"
#include "common/text.h"

namespace wunt {
namespace {

constexpr double kMinLabelSpacing = 18;

}  // namespace

std::string ParkPlanTitle(const ParkPlanRequest& request) {
  return "WUNT2.1 Viewer (V0.05 Alpa 3) - Parkplan f\xFCr " + request.park_name + " (" +
         std::to_string(request.first_year) + " - " + std::to_string(request.last_year) + ")";
}

std::string NoPlanText(const ParkPlanRequest& request) {
  return "Kein Parkplan: Die Bilder werden \xFC"
         "ber die Datei\r\n" +
         Utf8ToCp1252((request.season_folder / kImageStoreFile).string()) +
         "\r\ngefunden, und sie fehlt oder kann nicht gelesen werden.";
}

std::vector<YearLabel> YearLabels(int32_t first, int32_t last, int height) {
  std::vector<YearLabel> labels;
  if (last < first) return labels;
  // One year: a single label at the bottom (no spacing to divide by).
  const double v = last == first ? height : (height - 21.0) / (static_cast<double>(last) - first);
  int64_t every = 1;
  if (v < kMinLabelSpacing) {
    // A window too low to space the years at all labels only the first.
    every = v > 0 ? static_cast<int64_t>(std::ceil(kMinLabelSpacing / v)) : 0;
  }
  double s = 0;
  for (int64_t year = first; year <= last && s <= height; ++year, s += v) {
    if (every == 0 ? year == first : year % every == 0) {
      labels.push_back(
          {static_cast<int32_t>(year), static_cast<int>(std::nearbyint(height - s - 19))});
    }
    if (v <= 0) break;
  }
  return labels;
}

AnimationStep StepAnimation(int32_t year, int32_t first, int32_t last, int64_t t0, int64_t now) {
  AnimationStep step{year, t0, -1, true};
  // A late turn catches up whole years at once rather than running behind.
  while (now - step.t0 >= kYearMs && step.year < last) {
    ++step.year;
    step.t0 += kYearMs;
  }
  const int64_t d = now - step.t0;
  if (d <= kFadeMs) {
    if (step.year > first)
      step.alpha = static_cast<int>(std::max<int64_t>(0, d * 256 / kFadeMs - 1));
  } else if (step.year >= last) {
    step.playing = false;
  }
  return step;
}

const RasterImage& PlanFrames::Plan(int32_t year) {
  ++clock_;
  for (Cached& c : cache_) {
    if (c.valid && c.year == year) {
      c.used = clock_;
      return c.image;
    }
  }
  Cached& slot =
      *std::min_element(cache_.begin(), cache_.end(),
                        [](const Cached& a, const Cached& b) { return a.used < b.used; });
  slot.year = year;
  slot.used = clock_;
  slot.valid = plans_.Draw(year, slot.image);
  return slot.valid ? slot.image : empty_;
}

const RasterImage& PlanFrames::Frame(int32_t year, int alpha) {
  if (alpha < 0 || !plans_.HasPlan(year) || !plans_.HasPlan(year - 1)) return Plan(year);
  const RasterImage& before = Plan(year - 1);
  blend_ = before;
  DrawImageBlended(blend_, Plan(year), 0, 0, alpha);
  return blend_;
}

size_t PlanFrames::MemoryBytes() const {
  size_t bytes = 0;
  const auto add = [&bytes](const RasterImage& image) {
    bytes += static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()) * 3;
  };
  for (const Cached& c : cache_) add(c.image);
  add(blend_);
  return bytes;
}

}  // namespace wunt
