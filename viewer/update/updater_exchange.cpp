#include "viewer/update/updater_exchange.h"

#include <algorithm>

#include "common/text.h"

namespace wunt {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The decimal number from `offset` on (the prefix, one separator, the number).
int64_t NumberFrom(std::string_view line, size_t offset) {
  return offset < line.size() ? LeadingDecimal(line.substr(offset)) : 0;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, start)) {
    fields.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  fields.push_back(text.substr(start));
  return fields;
}

// Fields 2 to the last, joined with ", ".
std::string JoinFromSecond(const std::vector<std::string_view>& fields) {
  std::string out;
  for (size_t i = 1; i < fields.size(); ++i) {
    if (i > 1) out += ", ";
    out += fields[i];
  }
  return out;
}

std::vector<std::string> DataYears(std::string_view rest) {
  std::vector<std::string> years;
  if (rest.empty() || rest.front() != ' ') return years;
  for (std::string_view field : Split(rest.substr(0, rest.find('|')), ' ')) {
    if (!field.empty()) years.emplace_back(field);
  }
  return years;
}

}  // namespace

void LineSplitter::Feed(std::string_view chunk) {
  for (const char c : chunk) {
    const bool was_after_cr = after_cr_;
    after_cr_ = false;
    if (c == '\n' && was_after_cr) continue;
    if (c == '\r' || c == '\n') {
      lines_.push_back(std::move(partial_));
      partial_.clear();
      after_cr_ = c == '\r';
      continue;
    }
    if (partial_.size() < kMaxLineLength) partial_ += c;
  }
}

std::optional<std::string> LineSplitter::NextLine() {
  if (next_ == lines_.size()) {
    lines_.clear();
    next_ = 0;
    return std::nullopt;
  }
  return std::move(lines_[next_++]);
}

std::optional<std::string> LineSplitter::TakeRest() {
  if (partial_.empty()) return std::nullopt;
  std::string rest = std::move(partial_);
  partial_.clear();
  return rest;
}

std::string ReadySummary(std::string_view rest) {
  if (rest.empty()) return kUpdaterNothingNew;
  std::string message;
  if (rest.front() == ' ') {
    std::vector<std::string_view> fields = Split(rest, ' ');
    // The last data year may have the image part glued to it.
    fields.back() = fields.back().substr(0, 4);
    message += "Rundendaten geladen (" + JoinFromSecond(fields) + ")";
  }
  if (rest.find('|') != std::string_view::npos) {
    if (!message.empty()) message += '\r';
    message += "Bilder geladen (" + JoinFromSecond(Split(rest, '|')) + ")";
  }
  return message;
}

UpdaterAction InterpretUpdaterLine(std::string_view line) {
  UpdaterAction action;
  if (StartsWith(line, "Ready")) {
    action.kind = UpdaterActionKind::kReady;
    action.message = ReadySummary(line.substr(5));
    action.data_years = DataYears(line.substr(5));
  } else if (StartsWith(line, "Step")) {
    action.kind = UpdaterActionKind::kStep;
    const int64_t step = NumberFrom(line, 5);
    action.step = step >= 1 && step <= 3 ? static_cast<int>(step) : 0;
  } else if (StartsWith(line, "Progress")) {
    action.kind = UpdaterActionKind::kProgress;
    action.progress = static_cast<int>(std::clamp<int64_t>(NumberFrom(line, 9), 0, 1000));
  } else if (StartsWith(line, "Cancle")) {
    action.kind = UpdaterActionKind::kCancelled;
    action.message = kUpdaterCancelled;
  } else if (StartsWith(line, "Error")) {
    action.kind = UpdaterActionKind::kError;
    action.message = kUpdaterErrorPrefix;
    if (line.size() > 6) action.message += line.substr(6);
  } else {
    action.kind = UpdaterActionKind::kUnknown;
    action.message = kUpdaterUnknownPrefix;
    action.message += line;
  }
  return action;
}

bool SeasonNeedsReload(const UpdaterAction& final_action, int64_t run_season,
                       int64_t loaded_season) {
  if (run_season != loaded_season) return false;
  return final_action.kind != UpdaterActionKind::kReady || !final_action.data_years.empty();
}

std::vector<UpdaterAction> UpdaterExchange::Feed(std::string_view chunk) {
  std::vector<UpdaterAction> actions;
  if (finished_) return actions;
  splitter_.Feed(chunk);
  while (std::optional<std::string> line = splitter_.NextLine()) {
    actions.push_back(InterpretUpdaterLine(*line));
    if (actions.back().is_final()) {
      finished_ = true;
      break;
    }
  }
  return actions;
}

std::optional<UpdaterAction> UpdaterExchange::End() {
  if (finished_) return std::nullopt;
  finished_ = true;
  if (std::optional<std::string> rest = splitter_.TakeRest()) {
    // A final line whose LF never came still counts; any other fragment
    // is what a crash left behind.
    UpdaterAction action = InterpretUpdaterLine(*rest);
    if (action.is_final() && action.kind != UpdaterActionKind::kUnknown) return action;
  }
  UpdaterAction ended;
  ended.kind = UpdaterActionKind::kEnded;
  ended.message = kUpdaterEndedUnexpectedly;
  return ended;
}

}  // namespace wunt
