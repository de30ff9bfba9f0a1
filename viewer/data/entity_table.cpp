#include "viewer/data/entity_table.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/text.h"

namespace wunt {
namespace {

constexpr std::string_view kVariableErrorTitle = "Variable Error";
constexpr std::string_view kVariableErrorText = "Variable unbekannt!";

const DataFieldList& EmptySchema() {
  static const DataFieldList empty;
  return empty;
}

// Plain numbers may carry grouping characters ("1.234.567", "12:30");
// they are dropped before the number is read.
bool IsGrouping(char c) { return c == '.' || c == ',' || c == ':'; }

int64_t ReadGroupedNumber(std::string_view value) {
  // Most values have no grouping characters, and the rest are short: no
  // allocation on either path. (string_view::find_first_of would run a
  // memchr per character.)
  size_t first = 0;
  while (first < value.size() && !IsGrouping(value[first])) ++first;
  if (first == value.size()) return LeadingNumber(value);
  char small[64];
  std::string large;
  char* kept = small;
  if (value.size() > sizeof small) {
    large.resize(value.size());
    kept = large.data();
  }
  size_t n = 0;
  for (char c : value) {
    if (!IsGrouping(c)) kept[n++] = c;
  }
  return LeadingNumber(std::string_view(kept, n));
}

}  // namespace

EntityTable::EntityTable(SharedSchema schema) : schema_(std::move(schema)) {
  if (!schema_) return;
  fields_ = static_cast<int>(schema_->size());
  list_column_.assign(schema_->size(), -1);
  for (size_t i = 0; i < schema_->size(); ++i) {
    if ((*schema_)[i].type == kFieldIdList) list_column_[i] = list_columns_++;
  }
}

const DataFieldList& EntityTable::schema() const { return schema_ ? *schema_ : EmptySchema(); }

int EntityTable::FieldType(int field) const { return (*schema_)[static_cast<size_t>(field)].type; }

size_t EntityTable::AddRecord() {
  slots_.resize(slots_.size() + static_cast<size_t>(fields_), 0);
  list_refs_.resize(list_refs_.size() + static_cast<size_t>(list_columns_), 0);
  return count_++;
}

int64_t EntityTable::Number(size_t record, int64_t field) const {
  if (field < 0 || field >= fields_) return 0;
  const int f = static_cast<int>(field);
  if (FieldType(f) == kFieldString) return LeadingNumber(Text(record, f));
  return Slot(record, f);
}

std::string_view EntityTable::Text(size_t record, int64_t field) const {
  if (field < 0 || field >= fields_ || FieldType(static_cast<int>(field)) != kFieldString) {
    return {};
  }
  const int64_t slot = Slot(record, static_cast<int>(field));
  if (slot <= 0) return {};
  const TextRef& ref = texts_[static_cast<size_t>(slot - 1)];
  return std::string_view(text_bytes_).substr(ref.offset, ref.length);
}

std::optional<std::span<const int32_t>> EntityTable::IdList(size_t record, int64_t field) const {
  if (field < 0 || field >= fields_) return std::nullopt;
  const int column = list_column_[static_cast<size_t>(field)];
  if (column < 0) return std::nullopt;
  const uint32_t ref =
      list_refs_[record * static_cast<size_t>(list_columns_) + static_cast<size_t>(column)];
  if (ref == 0) return std::nullopt;
  const ListRef& list = lists_[ref - 1];
  return std::span<const int32_t>(list_ids_.data() + list.offset, list.count);
}

void EntityTable::SetNumber(size_t record, int field, int64_t value) {
  MutableSlot(record, field) = value;
}

void EntityTable::SetText(size_t record, int field, std::string_view text) {
  // A repeated line replaces the text; the old bytes stay unused in the
  // arena, which is cheaper than compacting for a case that hardly occurs.
  texts_.push_back({text_bytes_.size(), text.size()});
  text_bytes_.append(text);
  MutableSlot(record, field) = static_cast<int64_t>(texts_.size());
}

void EntityTable::SetIdList(size_t record, int field, std::span<const int32_t> ids) {
  const int column = list_column_[static_cast<size_t>(field)];
  if (column < 0) return;
  lists_.push_back({list_ids_.size(), ids.size()});
  list_ids_.insert(list_ids_.end(), ids.begin(), ids.end());
  list_refs_[record * static_cast<size_t>(list_columns_) + static_cast<size_t>(column)] =
      static_cast<uint32_t>(lists_.size());
}

void EntityTable::BuildIdIndex() {
  dense_index_.clear();
  sorted_index_.clear();
  if (count_ == 0) return;
  int64_t low = std::numeric_limits<int64_t>::max();
  int64_t high = std::numeric_limits<int64_t>::min();
  for (size_t r = 0; r < count_; ++r) {
    low = std::min<int64_t>(low, Id(r));
    high = std::max<int64_t>(high, Id(r));
  }
  // IDs handed out by the game are dense; a direct table is then both the
  // fastest look-up and small. Sparse IDs fall back to a binary search.
  if (high - low < static_cast<int64_t>(count_) * 4 + 1024) {
    index_base_ = static_cast<int32_t>(low);
    dense_index_.assign(static_cast<size_t>(high - low + 1), 0);
    for (size_t r = 0; r < count_; ++r) {
      uint32_t& entry = dense_index_[static_cast<size_t>(int64_t{Id(r)} - low)];
      if (entry == 0) entry = static_cast<uint32_t>(r + 1);
    }
    return;
  }
  sorted_index_.reserve(count_);
  for (size_t r = 0; r < count_; ++r) sorted_index_.emplace_back(Id(r), static_cast<uint32_t>(r));
  // Stable, so that for equal IDs the first record comes first.
  std::stable_sort(sorted_index_.begin(), sorted_index_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

size_t EntityTable::FindById(int32_t id) const {
  if (!dense_index_.empty()) {
    const int64_t at = int64_t{id} - index_base_;
    if (at < 0 || at >= static_cast<int64_t>(dense_index_.size())) return kNoRecord;
    const uint32_t entry = dense_index_[static_cast<size_t>(at)];
    return entry == 0 ? kNoRecord : entry - 1;
  }
  auto it = std::lower_bound(sorted_index_.begin(), sorted_index_.end(), id,
                             [](const auto& pair, int32_t key) { return pair.first < key; });
  if (it == sorted_index_.end() || it->first != id) return kNoRecord;
  return it->second;
}

int StoreFieldValue(EntityTable& table, size_t record, int64_t field, std::string_view value,
                    MessageSink& sink) {
  if (field < 0 || field >= table.field_count()) {
    sink.ShowMessage(kVariableErrorTitle, kVariableErrorText);
    return -1;
  }
  const int f = static_cast<int>(field);
  const int type = table.FieldType(f);
  switch (type) {
    case kFieldNumber:
      table.SetNumber(record, f, ReadGroupedNumber(value));
      break;
    case kFieldString:
      table.SetText(record, f, value);
      break;
    default:  // IDList (the count until the list is read), Time, StringList
      table.SetNumber(record, f, LeadingNumber(value));
      break;
  }
  return type;
}

std::string FieldText(const EntityTable& table, size_t record, int64_t field, MessageSink& sink) {
  if (field < 0 || field >= table.field_count()) {
    sink.ShowMessage(kVariableErrorTitle, kVariableErrorText);
    return {};
  }
  if (table.FieldType(static_cast<int>(field)) == kFieldString) {
    return std::string(table.Text(record, field));
  }
  return std::to_string(table.Slot(record, static_cast<int>(field)));
}

int64_t FieldNumber(const EntityTable& table, size_t record, int64_t field, MessageSink& sink) {
  if (field < 0 || field >= table.field_count()) {
    sink.ShowMessage(kVariableErrorTitle, kVariableErrorText);
    return 0;
  }
  return table.Number(record, field);
}

}  // namespace wunt
