#pragma once
// wunt-export's attraction outputs: the catalogue of one game year and the
// plans of one park, made by the models the Viewer's windows use.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "viewer/attractions/park_plan_export.h"

namespace wunt::exporter {

struct CatalogueRequest {
  std::filesystem::path data;
  int32_t season = 0;
  int32_t year = 0;
  bool csv = false;
  std::filesystem::path out;
};

// Writes the catalogue; returns the exit code (bad input ends the program).
int ExportCatalogue(const CatalogueRequest& request);

struct ParkPlanExportRequest {
  std::filesystem::path data;
  int32_t season = 0;
  int32_t park_id = 0;
  std::optional<int32_t> from;  // the season's first game year when missing
  std::optional<int32_t> to;    // its last when missing
  PlanFileFormat format;
  std::filesystem::path folder;
};

// "jpg", "jpg:QUALITY" (0-100, 100 when left out), "png" or "bmp"; bad
// input ends the program.
PlanFileFormat ParsePlanFormat(std::string_view text);

// Writes one picture per game year of the park; returns the exit code.
int ExportParkPlans(const ParkPlanExportRequest& request);

}  // namespace wunt::exporter
