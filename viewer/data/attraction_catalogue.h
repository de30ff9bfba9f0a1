#pragma once
// The attractions of one game year as catalogue entries: the figures read
// from Attraction.ini. The catalogue window computes the points fields.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "viewer/data/datafields.h"

namespace wunt {

// Attraction field numbers the catalogue reads.
inline constexpr int kAttractionFieldId = 0;
inline constexpr int kAttractionFieldCategory = 1;
inline constexpr int kAttractionFieldName = 2;
inline constexpr int kAttractionFieldVariant = 3;
inline constexpr int kAttractionFieldDescription = 4;
inline constexpr int kAttractionFieldCost = 5;
inline constexpr int kAttractionFieldMaintenance = 6;
inline constexpr int kAttractionFieldStaff = 7;
inline constexpr int kAttractionFieldCapacity = 8;
inline constexpr int kAttractionFieldSize = 9;
inline constexpr int kAttractionFieldTargetA = 11;
inline constexpr int kAttractionFieldTargetB = 12;
inline constexpr int kAttractionFieldTargetC = 13;
inline constexpr int kAttractionFieldAtmosphere = 14;
inline constexpr int kAttractionFieldBonusA = 16;
inline constexpr int kAttractionFieldBonusB = 17;
inline constexpr int kAttractionFieldBonusC = 18;
inline constexpr int kAttractionFieldLaunch = 19;
inline constexpr int kAttractionFieldPicture = 21;

// Shows count as category 7: their capacity is per performance, two a day.
inline constexpr int32_t kShowCategory = 7;

struct CatalogueEntry {
  std::string name;
  std::string description;
  std::string launch;
  int32_t id = 0;
  std::string variant;
  int32_t category = 0;
  std::string picture_path;
  int32_t cost = 0;
  int32_t maintenance = 0;
  int32_t staff = 0;
  int32_t staff_cost = 0;
  int32_t width = 0;
  int32_t depth = 0;
  double ground_cost = 0;
  int32_t capacity = 0;
  double capacity_points = 0;
  float target_a = 0;
  double target_a_points = 0;
  float target_b = 0;
  double target_b_points = 0;
  float target_c = 0;
  double target_c_points = 0;
  int32_t atmosphere = 0;
  double atmosphere_points = 0;
  float bonus_a = 0;
  float bonus_b = 0;
  float bonus_c = 0;
  double total_points = 0;
  bool ticked = false;
};

// Reads <year_folder>/Attraction.ini with the season's Attraction fields and
// returns the entries of category 7 and below, in file order. Picture paths
// are taken from season 3 on only; earlier seasons had no pictures.
std::vector<CatalogueEntry> LoadAttractions(const std::filesystem::path& year_folder,
                                            int32_t season, const DataFieldList& attraction_fields,
                                            MessageSink& sink);

}  // namespace wunt
