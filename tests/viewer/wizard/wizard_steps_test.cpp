#include "viewer/wizard/wizard_steps.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace wunt {
namespace {

// Every road through the three tabs, from a wizard that has applied all
// three steps and shown a result.
TEST(WizardSteps, NextButtonsOpenOnApplyAndCloseOnLaterChoices) {
  using Event = std::function<void(WizardSteps&)>;
  const Event choice1 = [](WizardSteps& s) { s.ChoiceChanged(0); };
  const Event choice2 = [](WizardSteps& s) { s.ChoiceChanged(1); };
  const Event choice3 = [](WizardSteps& s) { s.ChoiceChanged(2); };
  const Event apply1 = [](WizardSteps& s) { s.Step1Applied(2001, 2005, ContentKind::kValue); };
  const Event apply2 = [](WizardSteps& s) { s.Step2Applied(); };
  const Event computed = [](WizardSteps& s) { s.ApplyStep3(true); };
  const Event compute = [](WizardSteps& s) { s.ApplyStep3(false); };
  const Event done = [](WizardSteps& s) { s.ComputationEnded(true); };
  const Event cancelled = [](WizardSteps& s) { s.ComputationEnded(false); };
  const Event saved = [](WizardSteps& s) { s.CalculationsSaved(); };
  const Event updated = [](WizardSteps& s) { s.LoadedSeasonUpdated(); };
  struct Case {
    const char* name;
    std::vector<Event> events;
    std::array<bool, 3> next;
    bool computing;
  };
  const Case cases[] = {
      {"all applied", {}, {true, true, true}, false},
      {"tab 1 choice", {choice1}, {false, false, false}, false},
      {"tab 2 choice", {choice2}, {true, false, false}, false},
      {"tab 3 choice", {choice3}, {true, true, false}, false},
      {"tab 1 applied again", {choice1, apply1}, {true, false, false}, false},
      {"tab 2 applied again", {choice2, apply2}, {true, true, false}, false},
      {"computing", {choice3, compute}, {true, true, false}, true},
      {"computed", {choice3, compute, done}, {true, true, true}, false},
      {"cancelled", {choice3, compute, cancelled}, {true, true, false}, false},
      {"busy apply changes nothing", {compute, computed}, {true, true, false}, true},
      {"calculation saved", {saved}, {true, false, false}, false},
      {"loaded season updated", {updated}, {false, true, true}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardSteps steps;
    for (const Event& e : {apply1, apply2, compute, done}) e(steps);
    for (const Event& e : c.events) e(steps);
    EXPECT_EQ((std::array<bool, 3>{steps.next(0), steps.next(1), steps.next(2)}), c.next);
    EXPECT_EQ(steps.computing(), c.computing);
  }
}

TEST(WizardSteps, YearSpansByContentKindAndTheirPushRules) {
  struct Case {
    const char* name;
    ContentKind kind;
    int32_t lowest;
    int32_t highest;
    // Moves of the start (s) or end (e) spin before the check.
    std::vector<std::pair<char, int32_t>> moves;
    YearSpan expected;
  };
  const Case cases[] = {
      {"whole span", ContentKind::kValue, 2001, 2010, {}, {2001, 2009, 2001, 2002, 2010, 2010}},
      {"one year", ContentKind::kYear, 2001, 2010, {}, {2001, 2009, 2001, 2001, 2010, 2010, true}},
      {"single year season",
       ContentKind::kPark,
       2001,
       2001,
       {},
       {2001, 2001, 2001, 2001, 2001, 2001}},
      {"start pushes end",
       ContentKind::kValue,
       2001,
       2010,
       {{'e', 2003}, {'s', 2003}},
       {2001, 2009, 2003, 2002, 2010, 2004}},
      {"end pushes start",
       ContentKind::kValue,
       2001,
       2010,
       {{'s', 2005}, {'e', 2005}},
       {2001, 2009, 2004, 2002, 2010, 2005}},
      {"one year: the end pushes nothing",
       ContentKind::kYear,
       2001,
       2010,
       {{'s', 2005}, {'e', 2003}},
       {2001, 2009, 2005, 2001, 2010, 2003, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardSteps steps;
    steps.Step1Applied(c.lowest, c.highest, c.kind);
    EXPECT_EQ(steps.step(), 1);
    for (const auto& [spin, year] : c.moves) {
      if (spin == 's') steps.StartChanged(year);
      if (spin == 'e') steps.EndChanged(year);
    }
    EXPECT_EQ(steps.span(), c.expected);
  }
}

TEST(WizardSteps, OnlyTheSourceKindsOwnComputedFlagCounts) {
  struct Case {
    SourceKind source;
    bool parks, companies, countries;
    bool expected;
  };
  const Case cases[] = {
      {SourceKind::kParks, true, false, false, true},
      {SourceKind::kParks, false, true, true, false},
      {SourceKind::kCompanies, false, true, false, true},
      {SourceKind::kCompanies, true, false, true, false},
      {SourceKind::kCountries, false, false, true, true},
      {SourceKind::kCountries, true, true, false, false},
  };
  for (const Case& c : cases) {
    ValueListState lists;
    lists.parks_computed = c.parks;
    lists.companies_computed = c.companies;
    lists.countries_computed = c.countries;
    EXPECT_EQ(SourceValuesComputed(lists, c.source), c.expected) << static_cast<int>(c.source);
  }
}

TEST(WizardSteps, ParkWithoutCalculationRoutesToThePlan) {
  struct Case {
    ContentKind kind;
    std::optional<int32_t> calculation;
    size_t rows;
    ResultWindow expected;
  };
  const Case cases[] = {
      {ContentKind::kPark, kClosingEntryNumber, 1, ResultWindow::kParkPlan},
      {ContentKind::kPark, kClosingEntryNumber, 0, ResultWindow::kNoParkChosen},
      {ContentKind::kPark, 3, 1, ResultWindow::kOverview},
      {ContentKind::kPark, std::nullopt, 1, ResultWindow::kOverview},
      {ContentKind::kValue, kClosingEntryNumber, 0, ResultWindow::kOverview},
      {ContentKind::kYear, kClosingEntryNumber, 1, ResultWindow::kOverview},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(ResultWindowFor(c.kind, c.calculation, c.rows), c.expected) << i;
  }
}

TEST(WizardSteps, SeasonChooserKeepsItsChoiceAcrossARefresh) {
  struct Case {
    const char* name;
    std::vector<std::string> before;
    int choose;         // an entry picked, or -1
    const char* typed;  // then typed into the field, or nullptr
    std::vector<std::string> after;
    int32_t chosen;
    bool listed;
    bool next1;  // still open: the choice did not change
  };
  const Case cases[] = {
      {"kept", {"3", "7"}, 0, nullptr, {"3", "7", "8"}, 3, true, true},
      {"stays in the field when gone", {"3", "7"}, 0, nullptr, {"7", "8"}, 3, false, false},
      {"empty field takes the newest", {}, -1, nullptr, {"8"}, 8, true, false},
      {"typed season fetched", {"3"}, -1, "9", {"3", "9"}, 9, true, false},
      {"typed season not fetched", {"3"}, -1, "9. Runde", {"3"}, 9, false, false},
      {"none left", {"7"}, 0, nullptr, {}, 7, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardSteps steps;
    steps.SetSeasons(c.before);
    EXPECT_EQ(steps.chosen_season_index(), static_cast<int>(c.before.size()) - 1);
    steps.ChooseSeason(c.choose);
    steps.Step1Applied(2001, 2005, ContentKind::kValue);
    if (c.typed != nullptr) {
      steps.TypeSeason(c.typed);
      steps.ChoiceChanged(0);
    }
    steps.RefreshSeasons(c.after);
    EXPECT_EQ(steps.chosen_season(), c.chosen);
    EXPECT_EQ(steps.season_listed(), c.listed);
    EXPECT_EQ(steps.next(0), c.next1);
    // A listed season shows as its entry.
    if (c.listed) {
      EXPECT_EQ(steps.season_text(), std::to_string(c.chosen) + ". Runde");
    }
  }
  WizardSteps steps;
  steps.SetSeasons({"3", "12"});
  EXPECT_EQ(steps.season_captions(), (std::vector<std::string>{"3. Runde", "12. Runde"}));
}

// The field's season is the leading number of its text; only a listed one
// can be loaded, and the note says why not.
TEST(WizardSteps, SeasonFieldTakesTheLeadingNumber) {
  struct Case {
    std::vector<std::string> folders;
    const char* text;
    int32_t season;
    bool listed;
    const char* note;  // a piece of the note; "" for none
  };
  const Case cases[] = {
      {{"3", "7"}, "7", 7, true, ""},
      {{"3", "7"}, " 7. Runde", 7, true, ""},
      {{"3", "7"}, "9", 9, false, "Runde 9 "},
      {{"3", "7"}, "9. Runde", 9, false, "Runde 9 "},
      {{"3", "7"}, "", 0, false, "Nummer"},
      {{"3", "7"}, "0", 0, false, "Nummer"},
      {{"3", "7"}, "-7", 0, false, "Nummer"},
      {{"3", "7"}, "Runde 7", 0, false, "Nummer"},
      {{"3", "7"}, "100000", 0, false, "Nummer"},
      {{}, "", 0, false, "Readme.txt"},
      {{}, "12", 12, false, "Updater (Rundendaten)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    WizardSteps steps;
    steps.SetSeasons(c.folders);
    steps.TypeSeason(c.text);
    EXPECT_EQ(steps.chosen_season(), c.season);
    EXPECT_EQ(steps.season_listed(), c.listed);
    const std::string note = steps.season_note();
    if (*c.note == '\0') {
      EXPECT_EQ(note, "");
    } else {
      EXPECT_NE(note.find(c.note), std::string::npos) << note;
    }
  }
}

}  // namespace
}  // namespace wunt
