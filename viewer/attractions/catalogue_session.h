#pragma once
// The catalogue window's life on one season: what it reads when it opens
// (Attraction fields, game years, the last year's entries, settings and
// ticks, picture index), the game-year choice, the pictures and the save
// on close.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "common/message_sink.h"
#include "common/raster_image.h"
#include "viewer/attractions/catalogue_model.h"
#include "viewer/attractions/picture_index.h"
#include "viewer/data/datafields.h"

namespace wunt {

class CatalogueSession {
 public:
  // Opens the catalogue of the season in `season_folder`; the last game
  // year is selected. `sink` receives the data files' messages and must
  // outlive the session.
  CatalogueSession(const std::filesystem::path& season_folder, int32_t season, MessageSink& sink);

  // Game years in the chooser, ascending; the selected one.
  const std::vector<int32_t>& years() const { return years_; }
  int32_t year() const { return model_.year(); }
  // Loads that year's entries. The building list goes along: ticks are
  // matched by id, category and variant in every year shown.
  void SelectYear(int32_t year);

  CatalogueModel& model() { return model_; }
  const CatalogueModel& model() const { return model_; }

  // The picture of the entry in `row`, or nothing (no row, not indexed,
  // not loadable).
  std::optional<RasterImage> PictureOf(std::optional<size_t> row) const;

  // "Schließen": writes the settings and the building list (the shown
  // year's ticks and every stored tick it has no row for) to SaveData.ini.
  // False when the file could not be written.
  bool Save() const;

 private:
  std::vector<CatalogueEntry> LoadYear(int32_t year) const;

  std::filesystem::path season_folder_;
  int32_t season_;
  MessageSink& sink_;
  DataFieldList attraction_fields_;
  std::vector<int32_t> years_;
  PictureIndex pictures_;
  CatalogueModel model_;
  // The building list as of the last year change; the shown year's own
  // rows speak for themselves.
  std::vector<BuildTick> build_;
};

}  // namespace wunt
