#include "viewer/data/game_years.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>
#include <utility>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "common/work_control.h"

namespace wunt {
namespace {

constexpr std::string_view kFileErrorTitle = "Dateifehler";
constexpr std::string_view kIdListErrorText = "Fehler beim laden einer IDListe";

struct PendingList {
  size_t record;
  int field;
};

// A group whose name has "_" (only such groups can be detail groups) and
// where its lines begin.
struct DetailGroup {
  std::string_view name;
  const char* lines;
};

// One data file's text, read without a line list: most of a park file is
// attraction lists no record takes a value from, and those are passed over
// group line to group line.
struct EntityText {
  const char* begin;
  const char* end;
  bool utf8;
  std::vector<DetailGroup> details;  // in file order
};

// Pass 1: one record per main group, every line stored by its field type.
// Returns the IDList fields whose IDs still have to be read, each once.
std::vector<PendingList> ReadMainGroups(EntityText& text, EntityTable& table, MessageSink& sink) {
  std::vector<PendingList> pending;
  bool in_entity = false;
  size_t record = 0;
  const char* p = text.begin;
  IniFile::Line line;
  for (;;) {
    if (!in_entity) p = IniFile::FindGroupLine(p, text.end);
    if (!IniFile::ReadLine(&p, text.end, &line)) break;
    if (line.kind == IniFile::LineKind::kGroup) {
      in_entity = line.name.find('_') == std::string_view::npos;
      if (in_entity) {
        record = table.AddRecord();
      } else {
        text.details.push_back({line.name, p});
      }
      continue;
    }
    if (line.kind != IniFile::LineKind::kKey) continue;
    const int64_t field = LeadingNumber(line.name);
    // Only texts keep what they hold, so only they need the trailing blanks
    // cut; numbers stop reading at the first blank anyway.
    std::string_view value = line.value;
    if (field >= 0 && field < table.field_count() &&
        table.FieldType(static_cast<int>(field)) == kFieldString) {
      value = TrimTrailingBlanks(value);
    }
    int type;
    if (text.utf8) {
      type = StoreFieldValue(table, record, field, Utf8ToCp1252(value), sink);
    } else {
      type = StoreFieldValue(table, record, field, value, sink);
    }
    if (type != kFieldIdList) continue;
    const int f = static_cast<int>(field);
    // A repeated count line must not read the detail group twice.
    // Entries of the current record are the last ones, so the search stops
    // at the first entry of an earlier record.
    bool known = false;
    for (auto it = pending.rbegin(); it != pending.rend() && it->record == record; ++it) {
      known = known || it->field == f;
    }
    if (!known) pending.push_back({record, f});
  }
  return pending;
}

// Detail groups by their name with A-Z folded; the first of a name wins.
using DetailIndex = std::unordered_map<std::string, const char*>;

DetailIndex IndexDetailGroups(const EntityText& text) {
  DetailIndex index;
  index.reserve(text.details.size());
  for (const DetailGroup& group : text.details)
    index.try_emplace(FoldCaseAZ(group.name), group.lines);
  return index;
}

// Pass 2: the IDs of one IDList field from its detail group. Without the
// group the field keeps its count and has no list.
void ReadDetailGroup(const EntityText& text, const DetailIndex& index, EntityTable& table,
                     const PendingList& pending, std::vector<int32_t>& ids, MessageSink& sink) {
  SilentMessageSink quiet;  // field 0 exists whenever an IDList field does
  std::string group = FieldText(table, pending.record, 0, quiet);
  group += '_';
  group += table.schema()[static_cast<size_t>(pending.field)].name;
  // Names in a UTF-8 file are compared in UTF-8.
  auto found = index.find(FoldCaseAZ(text.utf8 ? Cp1252ToUtf8(group) : group));
  if (found == index.end()) return;
  const int64_t count = table.Slot(pending.record, pending.field);
  ids.clear();
  const char* p = found->second;
  IniFile::Line line;
  while (static_cast<int64_t>(ids.size()) < count && IniFile::ReadLine(&p, text.end, &line)) {
    if (line.kind == IniFile::LineKind::kGroup) break;
    if (line.kind != IniFile::LineKind::kKey) continue;
    ids.push_back(static_cast<int32_t>(LeadingNumber(line.value)));
  }
  // A short group keeps the IDs it has: padding it would count a park twice
  // in its company's sums. One message per list, however large the claim.
  if (static_cast<int64_t>(ids.size()) < count) sink.ShowMessage(kFileErrorTitle, kIdListErrorText);
  table.SetIdList(pending.record, pending.field, ids);
}

// Passes on the first messages of one file and drops the rest: a damaged
// file would otherwise raise a modal box per line, thousands of them.
class LimitedSink : public MessageSink {
 public:
  LimitedSink(MessageSink& inner, size_t limit) : inner_(inner), left_(limit) {}
  void ShowMessage(std::string_view title, std::string_view text) override {
    if (left_ == 0) return;
    --left_;
    inner_.ShowMessage(title, text);
  }

 private:
  MessageSink& inner_;
  size_t left_;
};

EntityTable LoadFromText(std::string_view bytes, SharedSchema schema, MessageSink& outer_sink) {
  LimitedSink sink(outer_sink, kMaxMessagesPerFile);
  EntityTable table(std::move(schema));
  EntityText text;
  text.utf8 = IniFile::CutByteOrderMark(bytes);
  text.begin = bytes.data();
  text.end = bytes.data() + bytes.size();
  std::vector<PendingList> pending = ReadMainGroups(text, table, sink);
  if (!pending.empty()) {
    const DetailIndex index = IndexDetailGroups(text);
    std::vector<int32_t> ids;
    for (const PendingList& p : pending) ReadDetailGroup(text, index, table, p, ids, sink);
  }
  table.BuildIdIndex();
  return table;
}

// Messages of a year loaded on a worker, replayed later in load order.
class DeferredSink : public MessageSink {
 public:
  void ShowMessage(std::string_view title, std::string_view text) override {
    messages_.emplace_back(std::string(title), std::string(text));
  }
  void ReplayTo(MessageSink& sink) const {
    for (const auto& [title, text] : messages_) sink.ShowMessage(title, text);
  }

 private:
  std::vector<std::pair<std::string, std::string>> messages_;
};

void ReportFile(const std::filesystem::path& file, std::string_view cause, MessageSink& sink) {
  sink.ShowMessage(kFileErrorTitle,
                   "Die Datei " + Utf8ToCp1252(file.string()) + " " + std::string(cause) + ".");
}

// A year's data file that is there but cannot be read would leave its year
// empty without a word, and the user would only learn much later that a
// selection came out empty. A missing file is no fault: a year whose
// pictures came before its data has none yet.
bool ReadYearFile(const std::filesystem::path& file, FileBuffer& bytes, MessageSink& sink) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (status.type() == std::filesystem::file_type::not_found) return false;
  if (std::filesystem::is_directory(status)) {
    ReportFile(file, "ist ein Ordner und kann nicht gelesen werden", sink);
    return false;
  }
  // Anything else (a pipe, a device) could block or never end.
  if (!std::filesystem::is_regular_file(status)) {
    ReportFile(file, "ist keine gew\xF6hnliche Datei und wird nicht gelesen", sink);
    return false;
  }
  if (ReadWholeFileInto(file, bytes)) return true;
  ReportFile(file,
             access(file.c_str(), R_OK) != 0
                 ? "kann nicht gelesen werden (keine Leserechte)"
                 : "kann nicht gelesen werden (Lesefehler oder zu gro\xDF f\xFCr den Speicher)",
             sink);
  return false;
}

void LoadOneYear(const std::filesystem::path& season_folder, const SharedSchema& park_fields,
                 const SharedSchema& company_fields, size_t country_count, GameYear& year,
                 MessageSink& sink) {
  // One buffer per loading thread: it keeps its capacity from file to file,
  // so a season load does not fault in fresh pages for every file. The
  // threads end with the load, and their buffers with them.
  thread_local FileBuffer buffer;
  const std::filesystem::path folder = YearFolder(season_folder, year.year);
  const std::filesystem::path park_file = folder / kParkFile;
  const bool parks = ReadYearFile(park_file, buffer, sink);
  year.parks = parks ? LoadFromText(buffer.bytes(), park_fields, sink) : EntityTable(park_fields);
  // Every game year has parks; a file without any is damaged.
  if (parks && buffer.bytes().empty()) {
    ReportFile(park_file, "ist leer", sink);
  } else if (parks && year.parks.empty()) {
    ReportFile(park_file,
               "enth\xE4lt keinen Park und ist wohl besch\xE4"
               "digt",
               sink);
  }
  const bool companies = ReadYearFile(folder / kCompanyFile, buffer, sink);
  year.companies =
      companies ? LoadFromText(buffer.bytes(), company_fields, sink) : EntityTable(company_fields);
  year.country_parks = BuildCountryParkLists(year.parks, country_count);
}

}  // namespace

const GameYear* SeasonData::FindYear(int32_t year) const {
  auto it = std::lower_bound(years.begin(), years.end(), year,
                             [](const GameYear& y, int32_t key) { return y.year < key; });
  return it != years.end() && it->year == year ? &*it : nullptr;
}

EntityTable LoadEntityFile(const std::filesystem::path& file, SharedSchema schema,
                           MessageSink& sink) {
  std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return EntityTable(std::move(schema));
  return LoadEntityBytes(std::move(*bytes), std::move(schema), sink);
}

EntityTable LoadEntityBytes(std::string bytes, SharedSchema schema, MessageSink& sink) {
  return LoadFromText(bytes, std::move(schema), sink);
}

std::vector<std::vector<int32_t>> BuildCountryParkLists(const EntityTable& parks,
                                                        size_t country_count) {
  // One pass over the parks, each dropped into its country's list: the
  // order inside a list stays park order.
  std::vector<std::vector<int32_t>> lists(country_count);
  for (size_t r = 0; r < parks.size(); ++r) {
    const int64_t position = parks.Number(r, kParkFieldCountry);
    if (position >= 1 && static_cast<uint64_t>(position) <= country_count) {
      lists[static_cast<size_t>(position - 1)].push_back(parks.Id(r));
    }
  }
  return lists;
}

std::array<std::string, 5> ProgressYearLabels(const std::vector<int32_t>& years, size_t current) {
  std::array<std::string, 5> labels;
  for (int i = 0; i < 5; ++i) {
    const int64_t at = static_cast<int64_t>(current) + i - 2;
    if (at >= 0 && at < static_cast<int64_t>(years.size())) {
      labels[static_cast<size_t>(i)] = std::to_string(years[static_cast<size_t>(at)]);
    }
  }
  return labels;
}

bool LoadSeasonYears(const std::filesystem::path& season_folder, int32_t season,
                     const DataFieldList& park_fields, const DataFieldList& company_fields,
                     size_t country_count, SeasonData& data, MessageSink& sink,
                     const LoadSeasonOptions& options) {
  const std::vector<int32_t> numbers = ListGameYears(season_folder);
  if (numbers.empty()) return false;

  SeasonData loaded;
  loaded.season = season;
  loaded.park_fields = MakeSchema(park_fields);
  loaded.company_fields = MakeSchema(company_fields);
  loaded.lowest_year = numbers.front();
  loaded.highest_year = numbers.back();
  loaded.years.resize(numbers.size());
  for (size_t i = 0; i < numbers.size(); ++i) loaded.years[i].year = numbers[i];
  const int32_t maximum = static_cast<int32_t>(
      std::min<int64_t>(int64_t{numbers.back()} - numbers.front() + 1, INT32_MAX));

  // Years are independent: workers take them in order and the calling
  // thread reports progress and replays messages in year order, so the
  // result is the same as loading one after another. The workers run apart
  // from the calling thread, which must stay free to report each year as
  // its turn comes.
  std::vector<DeferredSink> year_messages(numbers.size());
  std::vector<char> done(numbers.size(), 0);
  std::mutex mutex;
  std::condition_variable finished;
  WorkControl control;
  control.threads = options.threads;
  std::thread pool([&] {
    RunParallel(static_cast<int>(numbers.size()), control, [&](int at) {
      const size_t i = static_cast<size_t>(at);
      try {
        LoadOneYear(season_folder, loaded.park_fields, loaded.company_fields, country_count,
                    loaded.years[i], year_messages[i]);
      } catch (const std::bad_alloc&) {
        // A year too big for memory stays empty; the others still load.
        GameYear& year = loaded.years[i];
        year.parks = EntityTable(loaded.park_fields);
        year.companies = EntityTable(loaded.company_fields);
        year.country_parks.assign(country_count, {});
      }
      std::lock_guard lock(mutex);
      done[i] = 1;
      finished.notify_all();
    });
  });

  for (size_t i = 0; i < numbers.size(); ++i) {
    if (options.progress) {
      options.progress({numbers[i], i + 1, maximum, ProgressYearLabels(numbers, i)});
    }
    {
      std::unique_lock lock(mutex);
      finished.wait(lock, [&] { return done[i] != 0; });
    }
    year_messages[i].ReplayTo(sink);
  }
  pool.join();
  data = std::move(loaded);
  return true;
}

}  // namespace wunt
