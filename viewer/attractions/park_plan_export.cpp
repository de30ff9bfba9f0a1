#include "viewer/attractions/park_plan_export.h"

#include <vector>

#include "common/file_util.h"
#include "common/raster_image.h"
#include "common/text.h"

namespace wunt {
namespace {

std::string_view Extension(PlanFormat format) {
  switch (format) {
    case PlanFormat::kJpeg:
      return ".jpg";
    case PlanFormat::kPng:
      return ".png";
    case PlanFormat::kBmp:
      return ".bmp";
  }
  return "";
}

std::string Encode(const RasterImage& plan, PlanFileFormat format) {
  switch (format.format) {
    case PlanFormat::kJpeg:
      return EncodeJpeg(plan, format.quality);
    case PlanFormat::kPng:
      return EncodePng(plan);
    case PlanFormat::kBmp:
      return EncodeBmp(plan);
  }
  return {};
}

enum class YearResult { kNotDone, kWritten, kFailed, kNoPlan };

}  // namespace

std::optional<PlanFileFormat> PlanFormatForMenuId(int menu_id) {
  if (menu_id >= kPlanMenuJpeg && menu_id <= kPlanMenuJpeg + kJpegLevels)
    return PlanFileFormat{PlanFormat::kJpeg, (menu_id - kPlanMenuJpeg) * 10};
  if (menu_id == kPlanMenuPng) return PlanFileFormat{PlanFormat::kPng, 0};
  if (menu_id == kPlanMenuBmp) return PlanFileFormat{PlanFormat::kBmp, 0};
  return std::nullopt;
}

std::string PlanFileName(std::string_view park_name, int32_t year, PlanFormat format) {
  std::string name;
  for (char c : park_name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool refused =
        byte < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    name += refused ? '_' : c;
  }
  name += '_';
  name += std::to_string(year);
  name += Extension(format);
  return Cp1252ToUtf8(name);
}

PlanSaveReport SaveParkPlans(const ParkPlans& plans, const std::filesystem::path& folder,
                             PlanFileFormat format, const WorkControl& control) {
  const int count = plans.year_count();
  std::vector<YearResult> results(static_cast<size_t>(count), YearResult::kNotDone);
  PlanSaveReport report;
  report.cancelled = !RunParallel(count, control, [&](int i) {
    const int32_t year = plans.first_year() + i;
    RasterImage plan;
    YearResult& result = results[static_cast<size_t>(i)];
    if (!plans.Draw(year, plan)) {
      result = YearResult::kNoPlan;
      return;
    }
    const std::string bytes = Encode(plan, format);
    const std::filesystem::path file =
        folder / PlanFileName(plans.request().park_name, year, format.format);
    result = !bytes.empty() && WriteFileAtomically(file, bytes) ? YearResult::kWritten
                                                                : YearResult::kFailed;
  });
  for (int i = 0; i < count; ++i) {
    switch (results[static_cast<size_t>(i)]) {
      case YearResult::kWritten:
        ++report.written;
        break;
      case YearResult::kFailed:
        if (report.failed++ == 0) {
          report.first_failed =
              PlanFileName(plans.request().park_name, plans.first_year() + i, format.format);
        }
        break;
      case YearResult::kNoPlan:
        ++report.without_plan;
        break;
      case YearResult::kNotDone:
        break;
    }
  }
  return report;
}

std::string PlanSaveFailureText(const PlanSaveReport& report) {
  if (report.failed == 0) return {};
  return "Konnte Bild nicht speichern: " + Utf8ToCp1252(report.first_failed) + "\r\n" +
         std::to_string(report.written) + " von " + std::to_string(report.written + report.failed) +
         " Dateien wurden geschrieben.";
}

}  // namespace wunt
