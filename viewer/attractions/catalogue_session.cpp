#include "viewer/attractions/catalogue_session.h"

#include "common/season_layout.h"
#include "viewer/data/attraction_catalogue.h"
#include "viewer/data/game_years.h"

namespace wunt {

CatalogueSession::CatalogueSession(const std::filesystem::path& season_folder, int32_t season,
                                   MessageSink& sink)
    : season_folder_(season_folder), season_(season), sink_(sink) {
  LoadDatafields(season_folder_, EntityKind::kAttraction, attraction_fields_, sink_);
  years_ = ListGameYears(season_folder_);
  model_ = CatalogueModel(LoadCatalogueSettings(season_folder_, &build_));
  if (!years_.empty()) model_.ReplaceEntries(years_.back(), LoadYear(years_.back()));
  model_.ApplyBuildTicks(build_);
  pictures_.Open(season_folder_);
}

void CatalogueSession::SelectYear(int32_t year) {
  build_ = model_.MergedBuildTicks(build_);
  model_.ReplaceEntries(year, LoadYear(year));
  model_.ApplyBuildTicks(build_);
}

std::vector<CatalogueEntry> CatalogueSession::LoadYear(int32_t year) const {
  // Without the Attraction fields every field would be reported unknown
  // once per attraction; the schema loader has already said what is wrong.
  if (attraction_fields_.empty()) return {};
  return LoadAttractions(YearFolder(season_folder_, year), season_, attraction_fields_, sink_);
}

std::optional<RasterImage> CatalogueSession::PictureOf(std::optional<size_t> row) const {
  if (!row || *row >= model_.row_count()) return std::nullopt;
  return pictures_.Load(model_.EntryAt(*row).picture_path);
}

bool CatalogueSession::Save() const {
  return SaveCatalogueSettings(season_folder_, model_.settings(), model_.MergedBuildTicks(build_));
}

}  // namespace wunt
