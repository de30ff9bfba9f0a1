#pragma once
// The records of one data file (a game year's parks, companies or
// attractions) and the one way every reader gets at their fields.
//
// Layout, chosen so that 30 game years of 5,000 parks load and compute fast:
// all slots of a table sit in one flat array, record after record, one 64-bit
// slot per datafield of the schema the table was loaded with. A table keeps
// that schema (shared, immutable), so its slots can never be read with the
// schema of another season.
//
// Slot contents by field type:
//   number, Time, StringList  the 64-bit integer
//   String                    0 while unset, else 1 + index of its text
//   IDList                    the number of IDs the main group gave; the IDs
//                             themselves, once read, are kept beside the slots
// Texts live in one byte arena per table and ID lists in one flat ID array;
// neither is ever handed out as a raw address.
//
// Readers (the calculation engine among them):
//   table.size(), table.field_count(), table.schema()
//   table.Number(r, f)     numeric read of field f of record r: the integer,
//                          or for a String field the number its text begins
//                          with; 0 for a field number out of range
//   table.Text(r, f)       text of a String field (empty when unset)
//   table.IdList(r, f)     the IDs of an IDList field, or nothing when no
//                          detail group was read (then there is no list; an
//                          empty list is a list)
//   table.Id(r)            low 32 bits of the numeric read of field 0
//   table.FindById(id)     record index through the table's ID index, or
//                          kNoRecord; the first record wins for duplicate IDs
//   FieldText / FieldNumber  the checked reads that report an undeclared
//                          field number through the message sink
// Tables are filled on one thread and only read afterwards, so any number of
// threads may read a finished table at once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"
#include "viewer/data/datafields.h"

namespace wunt {

using SharedSchema = std::shared_ptr<const DataFieldList>;

inline SharedSchema MakeSchema(DataFieldList fields) {
  return std::make_shared<const DataFieldList>(std::move(fields));
}

class EntityTable {
 public:
  static constexpr size_t kNoRecord = static_cast<size_t>(-1);

  // A table without schema has no records and no fields.
  EntityTable() = default;
  explicit EntityTable(SharedSchema schema);

  const DataFieldList& schema() const;
  const SharedSchema& shared_schema() const { return schema_; }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  int field_count() const { return fields_; }
  int FieldType(int field) const;

  // Appends a zero-filled record; returns its index.
  size_t AddRecord();

  int64_t Slot(size_t record, int field) const {
    return slots_[record * static_cast<size_t>(fields_) + static_cast<size_t>(field)];
  }
  int64_t Number(size_t record, int64_t field) const;
  std::string_view Text(size_t record, int64_t field) const;
  std::optional<std::span<const int32_t>> IdList(size_t record, int64_t field) const;
  int32_t Id(size_t record) const { return static_cast<int32_t>(Number(record, 0)); }

  // Stores by the field's type without any check beyond the range; the
  // loader's StoreFieldValue is the checked entry point.
  void SetNumber(size_t record, int field, int64_t value);
  void SetText(size_t record, int field, std::string_view text);
  void SetIdList(size_t record, int field, std::span<const int32_t> ids);

  // Builds the ID index; call once after the last record was added.
  void BuildIdIndex();
  size_t FindById(int32_t id) const;

 private:
  struct TextRef {
    size_t offset;
    size_t length;
  };
  struct ListRef {
    size_t offset;
    size_t count;
  };

  int64_t& MutableSlot(size_t record, int field) {
    return slots_[record * static_cast<size_t>(fields_) + static_cast<size_t>(field)];
  }

  SharedSchema schema_;
  int fields_ = 0;
  size_t count_ = 0;
  std::vector<int64_t> slots_;
  std::string text_bytes_;
  std::vector<TextRef> texts_;
  // Per IDList field of the schema a column; list_refs_ holds, per record
  // and column, 1 + index into lists_, or 0 when no list was read.
  std::vector<int> list_column_;
  int list_columns_ = 0;
  std::vector<uint32_t> list_refs_;
  std::vector<ListRef> lists_;
  std::vector<int32_t> list_ids_;
  // ID index: a direct table when the IDs are dense, else sorted pairs.
  int32_t index_base_ = 0;
  std::vector<uint32_t> dense_index_;  // 1 + record, 0 = none
  std::vector<std::pair<int32_t, uint32_t>> sorted_index_;
};

// Stores one value text into a record slot by the field's type: numbers with
// ".", "," and ":" removed before the leading-number rule; String as a copy;
// IDList, Time and StringList by the leading-number rule alone. Returns the
// type code, or -1 (and "Variable Error" / "Variable unbekannt!") when the
// field number is not declared. Negative field numbers count as undeclared.
int StoreFieldValue(EntityTable& table, size_t record, int64_t field, std::string_view value,
                    MessageSink& sink);

// Any field as text: integers in decimal, String as stored, IDList as the
// number of IDs its main group gave (never a memory address). Undeclared field number: "Variable
// Error" / "Variable unbekannt!" and an empty text.
std::string FieldText(const EntityTable& table, size_t record, int64_t field, MessageSink& sink);

// FieldText read with the leading-number rule, without building the text.
int64_t FieldNumber(const EntityTable& table, size_t record, int64_t field, MessageSink& sink);

}  // namespace wunt
