#pragma once
// Saving a park's plans, one picture file per game year, as JPEG (with a
// quality level), PNG or 24-bit bitmap. Years are drawn and encoded on
// worker threads; what failed is reported instead of being hidden.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "viewer/attractions/park_plan.h"

namespace wunt {

enum class PlanFormat { kJpeg, kPng, kBmp };

struct PlanFileFormat {
  PlanFormat format = PlanFormat::kPng;
  int quality = 0;  // JPEG only, 0..100
};

// The ids of the context menu's save entries: kPlanMenuJpeg + k is JPEG
// quality k x 10 (k = 0..kJpegLevels).
enum PlanMenuId : int {
  kPlanMenuJpeg = 100,
  kPlanMenuPng = 200,
  kPlanMenuBmp = 300,
};
inline constexpr int kJpegLevels = 10;

// The format a menu id saves in; nothing for any other id.
std::optional<PlanFileFormat> PlanFormatForMenuId(int menu_id);

// Park name + "_" + year + extension, as a file-system name: the name is
// turned into UTF-8, and characters that separate folders or are not
// allowed in file names on Windows become "_", so a park's name can never
// place the file elsewhere.
std::string PlanFileName(std::string_view park_name, int32_t year, PlanFormat format);

struct PlanSaveReport {
  int total = 0;  // years of the park
  int written = 0;
  int failed = 0;
  int without_plan = 0;      // years with nothing to save
  std::string first_failed;  // file name (UTF-8) of the first year that failed
  bool cancelled = false;
};

// Writes every year's plan into `folder`, replacing existing files; each
// file goes through a temporary name, so a failure never leaves a
// half-written picture under the real name.
PlanSaveReport SaveParkPlans(const ParkPlans& plans, const std::filesystem::path& folder,
                             PlanFileFormat format, const WorkControl& control = {});

// The German message for a save with failures ("" when all went well).
std::string PlanSaveFailureText(const PlanSaveReport& report);
// The German message for a save stopped before its end: how many files
// were written, of how many.
std::string PlanSaveStoppedText(const PlanSaveReport& report);

}  // namespace wunt
