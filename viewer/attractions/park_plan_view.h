#pragma once
// What the park-plan window shows besides the plan: the year labels beside
// the slider, the animation (a pure function of the clock) and the frame
// to show, with the few finished canvases it keeps.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/raster_image.h"
#include "viewer/attractions/park_plan.h"

namespace wunt {

// "WUNT2.1 Viewer (V0.05 Alpa 3) - Parkplan für <name> (<first> - <last>)".
std::string ParkPlanTitle(const ParkPlanRequest& request);

// What the canvas says for a year without plan: the season's picture
// index could not be read.
std::string NoPlanText(const ParkPlanRequest& request);

struct YearLabel {
  int32_t year;
  int y;  // top of the 50 x 17 label in a window `height` pixels high
};
// Labels for the years first..last beside a slider `height` pixels high,
// the first year at the bottom; every C-th year when they would crowd.
std::vector<YearLabel> YearLabels(int32_t first, int32_t last, int height);

inline constexpr int64_t kFadeMs = 2000;
inline constexpr int64_t kYearMs = 5000;  // fade and hold
// Switching play on starts here, so the current year holds for 2 seconds.
inline constexpr int64_t kPlayStartMs = 3000;

struct AnimationStep {
  int32_t year;  // where the slider stands now
  int64_t t0;    // reference time (ms) after the step
  int alpha;     // >= 0: fade `year` in over the year before; -1: plain
  bool playing;  // false once the last year has been reached
};
// The animation at time `now` (ms) for a slider on `year` with reference
// time t0: each year fades in for 2 s over the one before and holds 3 s;
// playing stops on the last year.
AnimationStep StepAnimation(int32_t year, int32_t first, int32_t last, int64_t t0, int64_t now);

// Draws frames for the window from the plans, keeping the last few drawn
// plans so that the slider and the fade do not redraw them every turn.
// GUI-thread only.
class PlanFrames {
 public:
  explicit PlanFrames(const ParkPlans& plans) : plans_(plans) {}
  // The plan of `year` (alpha < 0 or no plan the year before), or the fade
  // of `year` over the year before; an empty picture when `year` has none.
  const RasterImage& Frame(int32_t year, int alpha = -1);
  size_t MemoryBytes() const;

 private:
  struct Cached {
    int32_t year = 0;
    bool valid = false;
    uint64_t used = 0;
    RasterImage image;
  };
  const RasterImage& Plan(int32_t year);

  const ParkPlans& plans_;
  std::array<Cached, 2> cache_;
  uint64_t clock_ = 0;
  RasterImage blend_;
  RasterImage empty_;
};

}  // namespace wunt
