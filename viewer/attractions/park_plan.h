#pragma once
// A park's layout year by year: the placed attractions of every game year
// read from Park.ini, their pictures decoded once per opening, and the
// plans drawn from them on a 950 x 1400 canvas.
//
// Plans are not kept as pictures: a year's plan is its list of placements
// over the shared decoded pictures, and is drawn when asked (a fill and a
// few dozen copies, about a millisecond). So memory grows with the number
// of distinct pictures, not with the number of years; see PlanCache for the
// few finished canvases the window keeps.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/raster_image.h"
#include "common/work_control.h"

namespace wunt {

inline constexpr int kPlanWidth = 950;
inline constexpr int kPlanHeight = 1400;

// Draws `picture` at its own size with its top-left corner at (x, y) over
// `target` with constant opacity alpha (0 leaves the target, 255 copies),
// clipped to the target.
void DrawImageBlended(RasterImage& target, const RasterImage& picture, int x, int y, int alpha);

struct ParkPlanRequest {
  std::filesystem::path season_folder;
  int32_t park_id = 0;
  std::string park_name;  // Windows-1252
  int32_t first_year = 0;
  int32_t last_year = 0;
};

class ParkPlans {
 public:
  // Reads every year's Park.ini and decodes each picture once, on worker
  // threads. A year whose Park.ini cannot be opened keeps the layout of the
  // year before; without a readable ImageStore.ini no year has a plan.
  // Nothing when cancelled.
  static std::optional<ParkPlans> Load(const ParkPlanRequest& request,
                                       const WorkControl& control = {});

  const ParkPlanRequest& request() const { return request_; }
  int32_t first_year() const { return request_.first_year; }
  int32_t last_year() const { return request_.last_year; }
  int year_count() const { return static_cast<int>(years_.size()); }
  bool HasPlan(int32_t year) const;

  // Draws the plan of `year` into `canvas` (made 950 x 1400 white first).
  // False, leaving the canvas empty, when the year has no plan.
  bool Draw(int32_t year, RasterImage& canvas) const;

  // Bytes held: decoded pictures and placement lists.
  size_t MemoryBytes() const;
  int picture_count() const { return static_cast<int>(pictures_.size()); }

 private:
  struct Placement {
    int32_t picture;  // index into pictures_
    int32_t x;
    int32_t y;
  };
  struct YearPlan {
    bool has_plan = false;
    std::vector<Placement> placements;
  };

  ParkPlanRequest request_;
  std::vector<RasterImage> pictures_;
  std::vector<YearPlan> years_;  // index year - first_year
};

}  // namespace wunt
