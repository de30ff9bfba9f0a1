#include "viewer/data/attraction_catalogue.h"

#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/data/entity_table.h"
#include "viewer/data/game_years.h"

namespace wunt {
namespace {

// Reads a catalogue's fields; undeclared fields raise the usual message
// and read as empty or 0.
class FieldReader {
 public:
  FieldReader(const EntityTable& table, size_t record, MessageSink& sink)
      : table_(table), record_(record), sink_(sink) {}
  std::string Text(int field) const { return FieldText(table_, record_, field, sink_); }
  int64_t Number(int field) const { return FieldNumber(table_, record_, field, sink_); }
  int32_t Int(int field) const { return static_cast<int32_t>(Number(field)); }
  float Tenths(int field) const { return static_cast<float>(Number(field) / 10.0); }

 private:
  const EntityTable& table_;
  size_t record_;
  MessageSink& sink_;
};

// "width x depth": the width is the number the text begins with, the depth
// the number of the part after the first "x".
int32_t DepthOf(std::string_view size) {
  const size_t x = size.find('x');
  if (x == std::string_view::npos) return 0;
  std::string_view depth = size.substr(x + 1);
  depth = depth.substr(0, depth.find('x'));
  return static_cast<int32_t>(LeadingNumber(TrimBlanks(depth)));
}

}  // namespace

std::vector<CatalogueEntry> LoadAttractions(const std::filesystem::path& year_folder,
                                            int32_t season, const DataFieldList& attraction_fields,
                                            MessageSink& sink) {
  EntityTable table =
      LoadEntityFile(year_folder / kAttractionFile, MakeSchema(attraction_fields), sink);
  std::vector<CatalogueEntry> entries;
  entries.reserve(table.size());
  for (size_t r = 0; r < table.size(); ++r) {
    FieldReader read(table, r, sink);
    if (read.Number(kAttractionFieldCategory) > kShowCategory) continue;
    // The fields are read in this order so that messages about undeclared
    // fields come in the order users know.
    CatalogueEntry& e = entries.emplace_back();
    e.name = read.Text(kAttractionFieldName);
    e.description = read.Text(kAttractionFieldDescription);
    e.launch = read.Text(kAttractionFieldLaunch);
    e.id = read.Int(kAttractionFieldId);
    e.variant = read.Text(kAttractionFieldVariant);
    if (season >= 3) e.picture_path = read.Text(kAttractionFieldPicture);
    e.category = read.Int(kAttractionFieldCategory);
    e.cost = read.Int(kAttractionFieldCost);
    e.maintenance = read.Int(kAttractionFieldMaintenance);
    e.staff = read.Int(kAttractionFieldStaff);
    e.capacity = read.Int(kAttractionFieldCapacity);
    if (e.category == kShowCategory) e.capacity /= 2;
    const std::string size = read.Text(kAttractionFieldSize);
    e.width = static_cast<int32_t>(LeadingNumber(size));
    e.depth = DepthOf(size);
    e.target_a = read.Tenths(kAttractionFieldTargetA);
    e.target_b = read.Tenths(kAttractionFieldTargetB);
    e.target_c = read.Tenths(kAttractionFieldTargetC);
    e.atmosphere = read.Int(kAttractionFieldAtmosphere);
    e.bonus_a = read.Tenths(kAttractionFieldBonusA);
    e.bonus_b = read.Tenths(kAttractionFieldBonusB);
    e.bonus_c = read.Tenths(kAttractionFieldBonusC);
  }
  return entries;
}

}  // namespace wunt
