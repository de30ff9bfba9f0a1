#include "viewer/calc/value_computation.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <exception>
#include <limits>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "common/message_sink.h"
#include "viewer/calc/formula.h"

namespace wunt {
namespace {

int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

// A formula that cannot be evaluated counts as no value.
int64_t ValueOf(int64_t evaluated) {
  return evaluated == std::numeric_limits<int64_t>::min() ? 0 : evaluated;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Assembles and evaluates the formula texts of one entity and game year.
// Each term is split once around the places where its number goes: "@" and
// its field number (not followed by a further digit, so "@1" never matches
// inside "@12"), or "Parkanzahl" for terms without a field.
class FormulaAssembler {
 public:
  explicit FormulaAssembler(const LoadedCalculation& calculation)
      : value_count_(calculation.values.size()) {
    terms_.reserve(calculation.terms.size());
    size_t capacity = 0;
    for (const Term& term : calculation.terms) {
      terms_.push_back(Compile(term));
      // Room for the whole text of every value at once, each number at its
      // longest: "(-9223372036854775808)".
      for (const std::string& piece : terms_.back().pieces) capacity += piece.size() + 22;
      capacity += 1;
    }
    buffer_.resize(capacity);
    sums_.assign(terms_.size(), 0);
  }

  void ClearSums() { std::fill(sums_.begin(), sums_.end(), 0); }

  // Adds the park's field values to the sums of the terms that name a field.
  void AddPark(const EntityTable& parks, size_t record) {
    for (size_t t = 0; t < terms_.size(); ++t) {
      const int32_t field = terms_[t].field;
      if (field >= 0) sums_[t] = SaturatingAdd(sums_[t], parks.Number(record, field));
    }
  }

  std::vector<int64_t> Evaluate(int64_t park_count) {
    std::vector<int64_t> values(value_count_, 0);
    ForEachFormula(park_count, [&](size_t index, std::string_view formula) {
      values[index] = ValueOf(EvaluateFormulaToInteger(formula));
    });
    return values;
  }

  // Calls `use` with the position and the assembled text of every value.
  template <typename Use>
  void ForEachFormula(int64_t park_count, Use&& use) {
    size_t index = 0;
    char* const text = buffer_.data();
    char* end = text;
    for (size_t t = 0; t < terms_.size(); ++t) {
      const CompiledTerm& term = terms_[t];
      const int64_t number = term.field >= 0 ? sums_[t] : park_count;
      end = Append(end, term.pieces.front());
      for (size_t i = 1; i < term.pieces.size(); ++i) {
        end = AppendNumber(text, end, number);
        end = Append(end, term.pieces[i]);
      }
      if (term.op != 0) {
        *end++ = term.op;
        continue;
      }
      if (index < value_count_) use(index, std::string_view(text, static_cast<size_t>(end - text)));
      ++index;
      end = text;
    }
  }

  // Every term sum set to `sum`.
  void SetSums(int64_t sum) { std::fill(sums_.begin(), sums_.end(), sum); }

 private:
  struct CompiledTerm {
    std::vector<std::string> pieces;  // the text around the number places
    int32_t field;
    char op;
  };

  static CompiledTerm Compile(const Term& term) {
    CompiledTerm compiled{{}, term.field_number, term.op};
    std::string place(kParkCountName);
    if (term.field_number >= 0) {
      place.assign(1, '@');
      place.append(std::to_string(term.field_number));
    }
    const std::string_view text = term.text;
    size_t start = 0;
    for (size_t at = text.find(place); at != std::string_view::npos;
         at = text.find(place, at + 1)) {
      const size_t end = at + place.size();
      if (term.field_number >= 0 && end < text.size() && IsDigit(text[end])) continue;
      compiled.pieces.emplace_back(text.substr(start, at - start));
      start = end;
      at = end - 1;
    }
    compiled.pieces.emplace_back(text.substr(start));
    return compiled;
  }

  static char* Append(char* out, const std::string& piece) {
    // Most pieces are empty or a few characters.
    for (char c : piece) *out++ = c;
    return out;
  }

  // Negative numbers go in parentheses: after an operator a bare sign would
  // not be read as one. Behind a minus that is itself a sign (at the start or
  // after "("), "-(-5)" would read as 0 - 5, so the two signs cancel instead.
  static char* AppendNumber(const char* text, char* out, int64_t number) {
    const bool after_sign = out > text && out[-1] == '-' && (out - 1 == text || out[-2] == '(');
    if (number < 0 && after_sign) {
      --out;
      char digits[24];
      const char* digits_end = std::to_chars(digits, digits + sizeof(digits), number).ptr;
      // Skipping the "-" of the text, so the lowest int64 needs no negation.
      for (const char* p = digits + 1; p < digits_end; ++p) *out++ = *p;
      return out;
    }
    if (number < 0) *out++ = '(';
    out = std::to_chars(out, out + 20, number).ptr;
    if (number < 0) *out++ = ')';
    return out;
  }

  size_t value_count_;
  std::vector<CompiledTerm> terms_;
  std::vector<int64_t> sums_;
  std::string buffer_;  // the formula text being assembled
};

// The game years of the span by position; null where the season lacks one.
std::vector<const GameYear*> SpanYears(const SeasonData& season,
                                       const ComputationSettings& settings) {
  std::vector<const GameYear*> years(static_cast<size_t>(settings.year_count()));
  for (size_t k = 0; k < years.size(); ++k) {
    years[k] = season.FindYear(settings.start_year + static_cast<int32_t>(k));
  }
  return years;
}

void Report(const WorkControl& control, int64_t position, int64_t maximum) {
  if (control.progress) control.progress(position, maximum);
}

// Progress and cancel of work spread over threads. Every thread counts its
// finished steps into one total, and only the thread that started the work
// reports it: the wizard's progress callback is not made for calls from
// several threads.
class Pace {
 public:
  struct Shared {
    const WorkControl& control;
    int64_t total;
    std::atomic<int64_t> done{0};
    std::atomic<bool> stop{false};
  };

  Pace(Shared& shared, bool reports) : shared_(shared), reports_(reports) {}

  void Count(int64_t steps) { shared_.done.fetch_add(steps, std::memory_order_relaxed); }

  // Reports the steps done so far; false when the work is to stop.
  bool Check() {
    if (shared_.stop.load(std::memory_order_relaxed) || shared_.control.Cancelled()) {
      shared_.stop = true;
      return false;
    }
    if (reports_)
      Report(shared_.control, shared_.done.load(std::memory_order_relaxed), shared_.total);
    return true;
  }

 private:
  Shared& shared_;
  bool reports_;
};

unsigned ThreadCount(const WorkControl& control, size_t items) {
  const unsigned wanted =
      control.threads != 0 ? control.threads : std::thread::hardware_concurrency();
  return static_cast<unsigned>(std::clamp<size_t>(wanted, 1, std::max<size_t>(items, 1)));
}

// Runs work(item, assembler, pace) for every item in [0, items) on up to the
// control's number of threads, the calling thread among them, each thread
// with an assembler of its own. Items go out in ascending order; each writes
// only records of its own. Work returns false when its pace says stop. True
// when every item was done.
template <typename Work>
bool SpreadWork(const LoadedCalculation& calculation, const WorkControl& control, size_t items,
                int64_t total_steps, Work&& work) {
  Pace::Shared shared{control, total_steps};
  std::atomic<size_t> next{0};
  std::atomic<size_t> finished{0};
  std::exception_ptr failure;
  std::mutex failure_mutex;
  const auto run = [&](bool reports) {
    try {
      FormulaAssembler assembler(calculation);
      Pace pace(shared, reports);
      for (size_t item; !shared.stop.load(std::memory_order_relaxed) && (item = next++) < items;) {
        if (!work(item, assembler, pace)) break;
        ++finished;
      }
    } catch (...) {
      shared.stop = true;
      const std::lock_guard<std::mutex> lock(failure_mutex);
      if (!failure) failure = std::current_exception();
    }
  };
  std::vector<std::jthread> helpers;
  const unsigned threads = ThreadCount(control, items);
  helpers.reserve(threads);
  for (unsigned t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back([&run] { run(false); });
    } catch (const std::system_error&) {
      break;  // fewer threads, the same values
    }
  }
  run(true);
  helpers.clear();  // joins
  if (failure) std::rethrow_exception(failure);
  return finished == items;
}

void ResetValues(ValueRecord& record, size_t year_count) {
  record.year_values.assign(year_count, {});
  record.sum = 0;
  record.result = 0;
}

int64_t SumOfValues(const std::vector<int64_t>& values) {
  int64_t sum = 0;
  for (int64_t v : values) sum = SaturatingAdd(sum, v);
  return sum;
}

// Content kind "Wert": the first values of the years with data, summed and
// divided by the years from the first to the last of them (gaps count).
int64_t AverageOfFirstValues(const ValueRecord& record) {
  int64_t sum = 0;
  size_t first = record.year_values.size();
  size_t last = 0;
  for (size_t k = 0; k < record.year_values.size(); ++k) {
    const std::vector<int64_t>& values = record.year_values[k];
    if (values.empty()) continue;
    sum = SaturatingAdd(sum, values.front());
    first = std::min(first, k);
    last = k;
  }
  if (first > last) return 0;
  return sum / static_cast<int64_t>(last - first + 1);
}

void SortByResult(ValueList& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const ValueRecord& a, const ValueRecord& b) { return a.result > b.result; });
}

// One company's values in one game year; left empty when the year lacks
// the company or its park list.
void ComputeCompanyYear(const GameYear& year, FormulaAssembler& assembler, int32_t id,
                        std::vector<int64_t>& values) {
  const size_t company = year.companies.FindById(id);
  if (company == EntityTable::kNoRecord) return;
  const auto park_ids = year.companies.IdList(company, kCompanyFieldParks);
  if (!park_ids) return;
  assembler.ClearSums();
  for (int32_t park_id : *park_ids) {
    const size_t park = year.parks.FindById(park_id);
    if (park != EntityTable::kNoRecord) assembler.AddPark(year.parks, park);
  }
  // Parks missing from the year's records still count.
  values = assembler.Evaluate(static_cast<int64_t>(park_ids->size()));
}

size_t BuildValueList(const SeasonData& season, const ComputationSettings& settings, bool parks,
                      ValueList& list) {
  list.clear();
  std::unordered_map<int32_t, size_t> index;
  SilentMessageSink silent;
  const bool end_year_only =
      settings.content_kind == ContentKind::kValue && !settings.include_vanished;
  for (int64_t y = settings.end_year; y >= settings.start_year; --y) {
    const GameYear* year = season.FindYear(static_cast<int32_t>(y));
    if (year == nullptr) continue;
    const EntityTable& table = parks ? year->parks : year->companies;
    for (size_t r = 0; r < table.size(); ++r) {
      const int32_t id = table.Id(r);
      if (auto it = index.find(id); it != index.end()) {
        list[it->second].first_year = static_cast<int32_t>(y);
        continue;
      }
      if (end_year_only && y != settings.end_year) continue;
      index.emplace(id, list.size());
      ValueRecord& record = list.emplace_back();
      record.id = id;
      record.name = FieldText(table, r, parks ? kParkFieldName : kCompanyFieldName, silent);
      record.first_year = static_cast<int32_t>(y);
      record.last_year = static_cast<int32_t>(y);
      record.year_values.resize(static_cast<size_t>(settings.year_count()));
      if (parks) record.country = static_cast<int32_t>(table.Number(r, kParkFieldCountry));
    }
  }
  return list.size();
}

}  // namespace

std::vector<size_t> ValuesPastTokenLimit(const LoadedCalculation& calculation) {
  std::vector<size_t> cut;
  FormulaAssembler assembler(calculation);
  // Positive sums paste one token each, as any sum of the same sign does.
  assembler.SetSums(1);
  assembler.ForEachFormula(1, [&](size_t index, std::string_view formula) {
    if (FormulaExceedsTokenLimit(formula)) cut.push_back(index);
  });
  return cut;
}

size_t BuildParkValueList(const SeasonData& season, const ComputationSettings& settings,
                          ValueListState& state) {
  state.parks_computed = false;
  return BuildValueList(season, settings, true, state.parks);
}

size_t BuildCompanyValueList(const SeasonData& season, const ComputationSettings& settings,
                             ValueListState& state) {
  state.companies_computed = false;
  return BuildValueList(season, settings, false, state.companies);
}

bool ComputeParkValues(const SeasonData& season, const ComputationSettings& settings,
                       const LoadedCalculation& calculation, ValueListState& state,
                       const WorkControl& control) {
  if (state.parks_computed) return true;
  const std::vector<const GameYear*> years = SpanYears(season, settings);
  ValueList& parks = state.parks;
  // Parks go in blocks, year by year within a block: neighbours in the list
  // are mostly neighbours in each year's records, so their fields share
  // cache lines.
  constexpr size_t kBlock = 64;
  const size_t blocks = (parks.size() + kBlock - 1) / kBlock;
  const auto work = [&](size_t block, FormulaAssembler& assembler, Pace& pace) {
    if (!pace.Check()) return false;
    const size_t first = block * kBlock;
    const size_t last = std::min(parks.size(), first + kBlock);
    for (size_t i = first; i < last; ++i) ResetValues(parks[i], years.size());
    for (size_t k = 0; k < years.size(); ++k) {
      if (years[k] == nullptr) continue;
      const EntityTable& table = years[k]->parks;
      for (size_t i = first; i < last; ++i) {
        const size_t park = table.FindById(parks[i].id);
        if (park == EntityTable::kNoRecord) continue;
        assembler.ClearSums();
        assembler.AddPark(table, park);
        parks[i].year_values[k] = assembler.Evaluate(1);
      }
    }
    for (size_t i = first; i < last; ++i) {
      ValueRecord& record = parks[i];
      if (settings.content_kind == ContentKind::kValue) {
        record.sum = AverageOfFirstValues(record);
      } else if (settings.content_kind == ContentKind::kYear && !record.year_values.empty()) {
        record.sum = SumOfValues(record.year_values.back());
        record.result = record.sum;
      }
    }
    pace.Count(static_cast<int64_t>(last - first));
    return true;
  };
  // With one value a park's year is mostly the allocation of its list of
  // values, which a second thread slowed down rather than shared.
  WorkControl spread = control;
  if (calculation.values.size() < 2) spread.threads = 1;
  if (!SpreadWork(calculation, spread, blocks, static_cast<int64_t>(parks.size()), work)) {
    return false;
  }
  state.parks_computed = true;
  return true;
}

bool ComputeCompanyValues(const SeasonData& season, const ComputationSettings& settings,
                          const LoadedCalculation& calculation, ValueListState& state,
                          const WorkControl& control) {
  if (state.companies_computed) return true;
  const std::vector<const GameYear*> years = SpanYears(season, settings);
  ValueList& companies = state.companies;
  for (ValueRecord& record : companies) ResetValues(record, years.size());
  // Year by year, a year to a thread: a company's parks lie anywhere in the
  // year's records, and one year's records stay in cache while every company
  // reads them.
  const size_t count = companies.size();
  constexpr size_t kReportEvery = 64;
  const auto work = [&](size_t k, FormulaAssembler& assembler, Pace& pace) {
    for (size_t first = 0; first < count; first += kReportEvery) {
      if (!pace.Check()) return false;
      const size_t last = std::min(count, first + kReportEvery);
      if (years[k] != nullptr) {
        for (size_t i = first; i < last; ++i) {
          ComputeCompanyYear(*years[k], assembler, companies[i].id, companies[i].year_values[k]);
        }
      }
      pace.Count(static_cast<int64_t>(last - first));
    }
    return true;
  };
  const auto steps = static_cast<int64_t>(count * years.size());
  if (!SpreadWork(calculation, control, years.size(), steps, work)) return false;
  for (ValueRecord& record : companies) {
    const std::vector<int64_t>* end_values =
        record.year_values.empty() || record.year_values.back().empty()
            ? nullptr
            : &record.year_values.back();
    if (settings.content_kind == ContentKind::kValue) {
      record.sum = AverageOfFirstValues(record);
      record.result = record.sum;
      if (!calculation.merge && end_values != nullptr) record.result = end_values->front();
    } else {
      if (end_values != nullptr) record.sum = SumOfValues(*end_values);
      record.result = record.sum;
    }
  }
  SortByResult(companies);
  state.companies_computed = true;
  return true;
}

bool ComputeCountryValues(const SeasonData& season, const ComputationSettings& settings,
                          const LoadedCalculation& calculation, ValueListState& state,
                          const WorkControl& control) {
  if (state.countries_computed) return true;
  FormulaAssembler assembler(calculation);
  const std::vector<const GameYear*> years = SpanYears(season, settings);
  const auto year_count = static_cast<int64_t>(years.size());
  const auto count = static_cast<int64_t>(state.countries.size());
  // A country owns the parks whose country field reads its number, wherever
  // its line stands in Translation.txt.
  for (int64_t p = 0; p < count; ++p) {
    if (control.Cancelled()) return false;
    ValueRecord& record = state.countries[static_cast<size_t>(p)];
    ResetValues(record, years.size());
    const int64_t slot = int64_t{record.id} - 1;
    for (int64_t k = 0; k < year_count; ++k) {
      Report(control, p * year_count + k, count * year_count);
      const GameYear* year = years[static_cast<size_t>(k)];
      if (year == nullptr || slot < 0 || slot >= static_cast<int64_t>(year->country_parks.size())) {
        continue;
      }
      const std::vector<int32_t>& park_ids = year->country_parks[static_cast<size_t>(slot)];
      if (park_ids.empty()) continue;
      assembler.ClearSums();
      for (int32_t park_id : park_ids) {
        const size_t park = year->parks.FindById(park_id);
        if (park != EntityTable::kNoRecord) assembler.AddPark(year->parks, park);
      }
      record.year_values[static_cast<size_t>(k)] =
          assembler.Evaluate(static_cast<int64_t>(park_ids.size()));
    }
    if (settings.content_kind == ContentKind::kValue) {
      record.sum = AverageOfFirstValues(record);
    } else if (!record.year_values.empty()) {
      record.sum = SumOfValues(record.year_values.back());
    }
    record.result = record.sum;
  }
  SortByResult(state.countries);
  state.countries_computed = true;
  return true;
}

}  // namespace wunt
