#include "viewer/wizard/wizard_steps.h"

#include <algorithm>
#include <utility>

#include "common/text.h"
#include "viewer/calc/calculations.h"

namespace wunt {

// For a player who starts with an empty folder and has no other guide.
constexpr char kFirstSeasonGuide[] =
    "Noch keine Runde geladen. Gib die Nummer deiner Runde in das Feld oben ein und dr\xfc"
    "cke \"Updater (Rundendaten)\". Mehr dazu steht in der Readme.txt neben dem Programm.";

ResultWindow ResultWindowFor(ContentKind kind, std::optional<int32_t> calculation,
                             size_t table_rows) {
  // "Park" without a calculation has no values to rank, only the park's
  // plans; its table holds the one park shown.
  if (kind != ContentKind::kPark || calculation != kClosingEntryNumber) {
    return ResultWindow::kOverview;
  }
  return table_rows == 0 ? ResultWindow::kNoParkChosen : ResultWindow::kParkPlan;
}

bool SourceValuesComputed(const ValueListState& lists, SourceKind source) {
  switch (source) {
    case SourceKind::kCompanies:
      return lists.companies_computed;
    case SourceKind::kCountries:
      return lists.countries_computed;
    case SourceKind::kParks:
      break;
  }
  return lists.parks_computed;
}

void WizardSteps::SetSeasons(const std::vector<std::string>& folders) {
  seasons_.clear();
  for (const std::string& folder : folders) {
    seasons_.push_back({static_cast<int32_t>(LeadingNumber(folder)), folder});
  }
  season_text_.clear();
  if (!seasons_.empty()) ChooseSeason(static_cast<int>(seasons_.size()) - 1);
}

void WizardSteps::RefreshSeasons(const std::vector<std::string>& folders) {
  const int32_t before = season_listed() ? chosen_season() : 0;
  const std::string text = season_text_;
  SetSeasons(folders);
  // An empty field takes the newest season, as at the start.
  if (LeadingNumber(text) != 0) season_text_ = text;
  // A season the update brought shows as the entry the list offers now.
  if (const int index = chosen_season_index(); index >= 0) ChooseSeason(index);
  const int32_t after = season_listed() ? chosen_season() : 0;
  if (after != before) ChoiceChanged(0);
}

std::vector<std::string> WizardSteps::season_captions() const {
  std::vector<std::string> captions;
  for (const Season& season : seasons_) captions.push_back(season.folder + ". Runde");
  return captions;
}

int WizardSteps::chosen_season_index() const {
  const int32_t number = chosen_season();
  if (number == 0) return -1;
  for (size_t i = 0; i < seasons_.size(); ++i) {
    if (seasons_[i].number == number) return static_cast<int>(i);
  }
  return -1;
}

void WizardSteps::ChooseSeason(int index) {
  if (index < 0 || static_cast<size_t>(index) >= seasons_.size()) return;
  season_text_ = seasons_[static_cast<size_t>(index)].folder + ". Runde";
}

void WizardSteps::TypeSeason(std::string text) { season_text_ = std::move(text); }

int32_t WizardSteps::chosen_season() const {
  const int64_t number = LeadingNumber(season_text_);
  return number > 0 && number <= kHighestSeason ? static_cast<int32_t>(number) : 0;
}

std::string WizardSteps::season_note() const {
  if (season_listed()) return "";
  const int32_t number = chosen_season();
  if (number == 0) {
    if (!has_seasons()) return kFirstSeasonGuide;
    return "Gib die Nummer einer Runde ein oder w\xe4hle eine aus der Liste.";
  }
  return "Runde " + std::to_string(number) +
         " ist noch nicht geladen: erst \"Updater (Rundendaten)\", dann \"\xdc"
         "bernehmen\".";
}

void WizardSteps::ChoiceChanged(int tab) {
  for (size_t i = static_cast<size_t>(std::max(tab, 0)); i < next_.size(); ++i) next_[i] = false;
}

void WizardSteps::Step1Applied(int32_t lowest, int32_t highest, ContentKind kind) {
  // A range whose maximum falls below its minimum ends at the minimum, as
  // a spin box's does.
  span_.one_year = kind == ContentKind::kYear;
  span_.start_minimum = lowest;
  span_.start_maximum = std::max(lowest, highest - 1);
  span_.start = lowest;
  span_.end_minimum = span_.one_year ? lowest : std::min(lowest + 1, highest);
  span_.end_maximum = std::max(span_.end_minimum, highest);
  span_.end = std::clamp(highest, span_.end_minimum, span_.end_maximum);
  next_ = {true, false, false};
  step_ = 1;
}

void WizardSteps::Step2Applied() {
  next_[1] = true;
  next_[2] = false;
  step_ = 2;
}

Step3Road WizardSteps::ApplyStep3(bool computed) {
  if (computing_) return Step3Road::kBusy;
  // Tab 4 draws the table this apply builds, so it waits for it.
  next_[2] = computed;
  if (computed) return Step3Road::kShowResult;
  computing_ = true;
  return Step3Road::kCompute;
}

bool WizardSteps::ComputationEnded(bool done) {
  computing_ = false;
  if (done) next_[2] = true;
  return done;
}

void WizardSteps::CalculationsSaved() {
  next_[1] = false;
  next_[2] = false;
}

void WizardSteps::LoadedSeasonUpdated() {
  season_stale_ = true;
  next_[0] = false;
}

bool WizardSteps::TakeSeasonStale() { return std::exchange(season_stale_, false); }

void WizardSteps::StartChanged(int32_t start) {
  span_.start = start;
  if (span_.end <= start) span_.end = std::clamp(start + 1, span_.end_minimum, span_.end_maximum);
}

void WizardSteps::EndChanged(int32_t end) {
  span_.end = end;
  if (!span_.one_year && end <= span_.start) {
    span_.start = std::clamp(end - 1, span_.start_minimum, span_.start_maximum);
  }
}

}  // namespace wunt
