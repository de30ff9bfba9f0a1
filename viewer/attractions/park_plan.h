#pragma once
// A park's layout year by year: the placed attractions of every game year
// read from Park.ini, their pictures, and the plans drawn from them on a
// 950 x 1400 canvas.
//
// Plans are not kept as pictures: a year's plan is its list of placements
// over the shared decoded pictures, and is drawn when asked (a fill and a
// few dozen copies, about a millisecond). The decoded pictures are kept
// within a fixed budget, whatever the files declare: a picture that would
// not fit on the canvas is refused before it is decoded, and beyond the
// budget the pictures used least recently are decoded again when needed.
// See PlanFrames for the few finished canvases the window keeps.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/raster_image.h"
#include "common/work_control.h"

namespace wunt {

inline constexpr int kPlanWidth = 950;
inline constexpr int kPlanHeight = 1400;

// Decoded pictures one plan keeps at most (a picture that fills the
// canvas takes 4 MB; real attraction pictures take a few kB).
inline constexpr size_t kPlanPictureBudget = 96u << 20;
// Threads that decode pictures or draw plans at once, whatever the
// machine: each holds a picture file, a decoded picture and a canvas.
inline constexpr unsigned kPlanThreads = 4;

// Reads and decodes a picture file for a plan. Nothing when it is too
// large a file, does not decode, or its header declares a picture larger
// than the canvas (no placement could show more); that is checked before
// anything is decoded.
std::optional<RasterImage> LoadPlacedPicture(const std::filesystem::path& file);

// RunParallel on at most kPlanThreads threads. A std::bad_alloc in any job
// stops handing out jobs and is thrown again on the calling thread once all
// have ended: on a worker thread it would end the program.
bool RunPlanWork(int count, const WorkControl& control, const std::function<void(int)>& job);

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
  // Bytes of decoded pictures kept at once; smaller only in tests.
  size_t picture_budget = kPlanPictureBudget;
};

class ParkPlans {
 public:
  // Reads every year's Park.ini and decodes the pictures (as many as the
  // budget holds), on worker threads. A year whose Park.ini cannot be
  // opened keeps the layout of the year before; without a readable
  // ImageStore.ini no year has a plan. Nothing when cancelled; a
  // std::bad_alloc reaches the caller.
  static std::optional<ParkPlans> Load(const ParkPlanRequest& request,
                                       const WorkControl& control = {});

  const ParkPlanRequest& request() const { return request_; }
  int32_t first_year() const { return request_.first_year; }
  int32_t last_year() const { return request_.last_year; }
  int year_count() const { return static_cast<int>(years_.size()); }
  bool HasPlan(int32_t year) const;

  // Draws the plan of `year` into `canvas` (made 950 x 1400 white first).
  // False, leaving the canvas empty, when the year has no plan. Safe to
  // call from several threads at once.
  bool Draw(int32_t year, RasterImage& canvas) const;

  // Bytes held: decoded pictures and placement lists.
  size_t MemoryBytes() const;
  // Decoded pictures held now.
  int picture_count() const;

 private:
  class Pictures;
  struct Placement {
    int32_t picture;  // slot in pictures_
    int32_t x;
    int32_t y;
  };
  struct YearPlan {
    bool has_plan = false;
    int32_t layout = -1;  // index into layouts_; none: nothing placed
  };

  ParkPlanRequest request_;
  std::shared_ptr<Pictures> pictures_;
  std::vector<std::vector<Placement>> layouts_;
  std::vector<YearPlan> years_;  // index year - first_year
};

}  // namespace wunt
