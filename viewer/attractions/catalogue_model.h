#pragma once
// The attraction catalogue as the window shows it: the entries of one game
// year scored by the user's weights, the rows (category filter, order,
// ticks, colours) and every cell text. The window only forwards its events
// here and draws what this model says.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/raster_image.h"
#include "viewer/attractions/catalogue_settings.h"
#include "viewer/data/attraction_catalogue.h"

namespace wunt {

inline constexpr int kCatalogueColumnCount = 21;
enum CatalogueColumn : int {
  kColumnName = 0,
  kColumnTotal = 1,
  kColumnArea = 6,
};

// One column of the list, the HTML and CSV pages and the clipboard text.
struct CatalogueColumnInfo {
  std::string_view header;  // Windows-1252
  int width;                // pixels of the reference font
  std::string (*cell)(const CatalogueEntry& entry);
  // What the column sorts by; none: its text, letters folded.
  double (*sort_key)(const CatalogueEntry& entry) = nullptr;
  bool thousands = false;  // whole numbers written with thousands dots
};
const CatalogueColumnInfo& CatalogueColumnOf(int column);

// Computes the figures of `entry` from the weights in `settings`: staff and
// ground cost, the yearly cost (32-bit, integer steps as the game's own
// tools did), the five point terms and the total.
void ComputeCataloguePoints(const CatalogueSettings& settings, CatalogueEntry& entry);

// The 21 cell texts of one entry, in column order.
std::string CatalogueCellText(const CatalogueEntry& entry, int column);

struct RowLook {
  Rgb text;
  Rgb background;
};

class CatalogueModel {
 public:
  explicit CatalogueModel(CatalogueSettings settings = {});

  const CatalogueSettings& settings() const { return settings_; }
  int32_t year() const { return year_; }
  const std::vector<CatalogueEntry>& entries() const { return entries_; }

  // A game year's entries (in file order) replace the current ones; ticks
  // do not carry over. Refills the list.
  void ReplaceEntries(int32_t year, std::vector<CatalogueEntry> entries);
  // Ticks the first entry matching each build tick (id, category, variant).
  void ApplyBuildTicks(const std::vector<BuildTick>& build);
  // The ticked entries in points order, for the "Build" group.
  std::vector<BuildTick> BuildTicks() const;
  // The building list as this year leaves it: BuildTicks(), then every
  // tick of `stored` that no entry of this year matches (an attraction
  // sold out or not yet launched stays on the list).
  std::vector<BuildTick> MergedBuildTicks(const std::vector<BuildTick>& stored) const;

  // Events of the window's controls. Category bit 0..6 is a category box,
  // 7 is "Alle"; both refill the list, as does a weight box. A spin only
  // changes its state (and display text); MarkNew only recolours.
  void SetCategory(int bit, bool on);
  void SetTerm(WeightTerm term, bool on);
  void SetSpin(Spin spin, int32_t value);
  void SetMarkNew(bool on);
  // "Liste neu erstellen": recompute and return to the points order.
  void Rebuild();

  // A click on a column header: sorts by that column, ascending; a second
  // click on the same column reverses. Kept across refills until Rebuild.
  void SortByColumn(int column);
  // -1 while the rows are in points order.
  int sort_column() const { return sort_column_; }
  bool sort_descending() const { return sort_descending_; }

  size_t row_count() const { return rows_.size(); }
  const CatalogueEntry& EntryAt(size_t row) const { return entries_[rows_[row]]; }
  std::string CellText(size_t row, int column) const;
  bool IsTicked(size_t row) const { return EntryAt(row).ticked; }
  void SetTicked(size_t row, bool on);
  RowLook LookOf(size_t row) const;

  // The description field for the selected row, or for no selection.
  std::string DescriptionText(std::optional<size_t> row) const;
  // Tab-separated header line and one line per given row (in row order),
  // for pasting into a spreadsheet.
  std::string CopyText(std::vector<size_t> rows) const;

 private:
  void Fill();
  void OrderRows();

  CatalogueSettings settings_;
  int32_t year_ = 0;
  std::vector<CatalogueEntry> entries_;  // file order
  std::vector<size_t> points_order_;     // entry indexes, highest total first
  std::vector<size_t> rows_;             // entry index per shown row
  int sort_column_ = -1;
  bool sort_descending_ = false;
};

}  // namespace wunt
