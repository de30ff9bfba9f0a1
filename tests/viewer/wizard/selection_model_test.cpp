#include "viewer/wizard/selection_model.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wunt {
namespace {

ValueRecord Entity(int32_t id, std::string name, int32_t country = 0, int32_t first = 2001,
                   int32_t last = 2005) {
  ValueRecord record;
  record.id = id;
  record.name = std::move(name);
  record.country = country;
  record.first_year = first;
  record.last_year = last;
  return record;
}

std::vector<int32_t> Ids(const std::vector<SelectionEntry>& entries) {
  std::vector<int32_t> ids;
  for (const SelectionEntry& e : entries) ids.push_back(e.id);
  return ids;
}

std::vector<int32_t> VisibleIds(const SelectionModel& model) {
  std::vector<int32_t> ids;
  for (size_t i : model.VisibleAvailable()) ids.push_back(model.available()[i].id);
  return ids;
}

// Value-list order (first appearance) differs from label order on purpose.
ValueList Parks() {
  return {
      Entity(10, "delta", 1), Entity(11, "Bravo", 2),   Entity(12, "alpha", 1),
      Entity(13, "Echo", 3),  Entity(14, "charlie", 2), Entity(15, "foxtrot", 1),
  };
}

TEST(SelectionLabels, ByKindAndEndYear) {
  struct Case {
    SourceKind source_kind;
    ContentKind content_kind;
    int32_t last_year;
    const char* expected;
  };
  const Case cases[] = {
      {SourceKind::kParks, ContentKind::kValue, 2005, "Park (2001 -     )"},
      {SourceKind::kParks, ContentKind::kValue, 2003, "Park (2001 - 2003)"},
      {SourceKind::kCompanies, ContentKind::kPark, 2005, "Park (2001 -     )"},
      {SourceKind::kParks, ContentKind::kYear, 2003, "Park"},
      {SourceKind::kCountries, ContentKind::kValue, 2003, "Park"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SelectionLabel(Entity(1, "Park", 0, 2001, c.last_year), c.source_kind, c.content_kind,
                             2005),
              c.expected);
  }
}

TEST(SelectionLabels, OrderIgnoresCase) {
  EXPECT_TRUE(LabelLess("alpha", "Bravo"));
  EXPECT_TRUE(LabelLess("Alpha", "alphabet"));
  EXPECT_FALSE(LabelLess("ALPHA", "alpha"));
  EXPECT_FALSE(LabelLess("alpha", "ALPHA"));
  EXPECT_TRUE(LabelLess("\xc4pfel", "\xe4xte"));  // Ä folds to ä
  EXPECT_TRUE(LabelLess("zebra", "\xe4pfel"));
}

TEST(SelectionLabels, NaturalOrderForTheShownLists) {
  struct Case {
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"Adlerhorst 2", "Adlerhorst 19"},  // numbers by value
      {"Adlerhorst 9 (1990 - 1995)", "Adlerhorst 10 (1990 - 1995)"},
      {"Park 1990", "Park 2000"},  // same length: by digits
      {"Äpfelland", "Bergland"},   // Ä sorts with A
      {"Apfel", "Äpfelland"},      // ... among the A words
      {"Österreich", "Schweiz"},   // Ö with O
      {"Straß"
       "e 2",
       "Strasse 3"},        // ß as ss, then the number
      {"étoile", "Fjord"},  // é with e
      {"Z 01", "z 2"},      // leading zeros count no value
      {"alpha", "Bravo"},   // case is ignored
      {"A", "Ä"},           // equal letters: the old order
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(NaturalLess(c.before, c.after)) << c.before << " < " << c.after;
    EXPECT_FALSE(NaturalLess(c.after, c.before)) << c.after << " < " << c.before;
  }
  EXPECT_FALSE(NaturalLess("same", "same"));
}

TEST(SelectionModel, ShownRowsAreNaturalWhileTheListsKeepThePageOrder) {
  ValueList parks = {Entity(1, "Park 10", 1), Entity(2, "park 9", 2), Entity(3, "Ärmel", 1),
                     Entity(4, "Zoo", 1)};
  SelectionModel model;
  model.Fill(parks, SourceKind::kParks, ContentKind::kYear, 2005);
  // Pages and the page's positions keep the plain order ...
  EXPECT_EQ(Ids(model.available()), (std::vector<int32_t>{1, 2, 4, 3}));
  // ... the tab shows the natural one.
  EXPECT_EQ(model.AvailableRows(), (std::vector<size_t>{3, 1, 0, 2}));
  model.SetFilter(1, false);  // country 2 hides "park 9"
  EXPECT_EQ(model.AvailableRows(), (std::vector<size_t>{3, 0, 2}));
  model.SetFilter(1, true);

  // Several lines at once; repeated and unknown positions are ignored.
  EXPECT_EQ(model.AddPositions({3, 0, 3, 99}), 2u);
  EXPECT_EQ(Ids(model.chosen()), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(model.ChosenRows(), (std::vector<size_t>{1, 0}));
  EXPECT_EQ(model.RemovePositions({1, 0}), 2u);
  EXPECT_TRUE(model.chosen().empty());
  EXPECT_EQ(Ids(model.available()), (std::vector<int32_t>{1, 2, 4, 3}));
}

TEST(SelectionModel, FillSortsByLabelAndAddRemoveKeepBothListsSorted) {
  SelectionModel model;
  model.Fill(Parks(), SourceKind::kParks, ContentKind::kYear, 2005);
  EXPECT_EQ(Ids(model.available()), (std::vector<int32_t>{12, 11, 14, 10, 13, 15}));
  EXPECT_EQ(model.available()[0].filter, 0);
  ASSERT_TRUE(model.Add(3));  // delta
  ASSERT_TRUE(model.Add(0));  // alpha
  EXPECT_EQ(Ids(model.chosen()), (std::vector<int32_t>{12, 10}));
  EXPECT_EQ(Ids(model.available()), (std::vector<int32_t>{11, 14, 13, 15}));
  EXPECT_FALSE(model.Add(4));
  EXPECT_FALSE(model.Remove(2));
  ASSERT_TRUE(model.Remove(1));
  EXPECT_EQ(Ids(model.available()), (std::vector<int32_t>{11, 14, 10, 13, 15}));
  model.AddAll();
  EXPECT_TRUE(model.available().empty());
  EXPECT_EQ(Ids(model.chosen()), (std::vector<int32_t>{12, 11, 14, 10, 13, 15}));
  model.RemoveAll();
  EXPECT_TRUE(model.chosen().empty());
  EXPECT_EQ(Ids(model.available()), (std::vector<int32_t>{12, 11, 14, 10, 13, 15}));
}

// Content kind "Park" shows one entity: every way of adding replaces the
// chosen one and the hint names what went back; other kinds keep several.
TEST(SelectionModel, ParkContentHoldsOneChosenEntity) {
  using Op = std::function<void(SelectionModel&)>;
  const Op add0 = [](SelectionModel& m) { m.Add(0); };
  struct Case {
    const char* name;
    ContentKind kind;
    std::vector<Op> ops;
    std::vector<int32_t> chosen;
    const char* hint;  // a piece of the hint; "" for none
  };
  // Label order: alpha 12, Bravo 11, charlie 14, delta 10, Echo 13, foxtrot 15.
  const Case cases[] = {
      {"one add", ContentKind::kPark, {add0}, {12}, "ersetzt"},
      {"second add replaces", ContentKind::kPark, {add0, add0}, {11}, "Ersetzt: alpha"},
      {"several lines: the first",
       ContentKind::kPark,
       {[](SelectionModel& m) {
         m.AddPositions({4, 1});
       }},
       {11},
       "ersetzt"},
      {"all: one", ContentKind::kPark, {[](SelectionModel& m) { m.AddAll(); }}, {12}, "ersetzt"},
      {"page position",
       ContentKind::kPark,
       {[](SelectionModel& m) { m.AddPosition(0); }, [](SelectionModel& m) { m.AddPosition(2); }},
       {10},
       "Ersetzt: alpha"},
      {"by id",
       ContentKind::kPark,
       {add0, [](SelectionModel& m) { m.AddId(13); }},
       {13},
       "Ersetzt: alpha"},
      {"value keeps several", ContentKind::kValue, {add0, add0}, {12, 11}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SelectionModel model;
    model.Fill(Parks(), SourceKind::kParks, c.kind, 2005);
    for (const Op& op : c.ops) op(model);
    EXPECT_EQ(Ids(model.chosen()), c.chosen);
    EXPECT_EQ(model.available().size() + model.chosen().size(), Parks().size());
    const std::string hint = model.SingleChoiceHint();
    if (*c.hint == '\0') {
      EXPECT_EQ(hint, "");
    } else {
      EXPECT_NE(hint.find(c.hint), std::string::npos) << hint;
    }
  }
}

TEST(SelectionModel, CountryFiltersHideParksAndShiftVisibleIndexes) {
  SelectionModel model;
  model.Fill(Parks(), SourceKind::kParks, ContentKind::kYear, 2005);
  model.SetFilter(0, false);  // country 1: alpha, delta, foxtrot
  EXPECT_FALSE(model.all_checked());
  EXPECT_TRUE(model.filtering_active());
  EXPECT_EQ(VisibleIds(model), (std::vector<int32_t>{11, 14, 13}));
  ASSERT_TRUE(model.Add(1));  // the second shown: charlie
  EXPECT_EQ(Ids(model.chosen()), (std::vector<int32_t>{14}));

  // A chosen park of an unchecked country goes back to the record list
  // but stays out of sight.
  model.SetFilter(0, true);
  ASSERT_TRUE(model.AddId(15));
  model.SetFilter(0, false);
  ASSERT_TRUE(model.Remove(1));  // foxtrot
  EXPECT_EQ(VisibleIds(model), (std::vector<int32_t>{11, 13}));
  EXPECT_EQ(model.available().size(), 5u);

  // The page's form counts hidden entries too.
  ASSERT_TRUE(model.AddPosition(0));  // alpha, hidden
  EXPECT_FALSE(model.AddPosition(5));
  ASSERT_TRUE(model.Remove(0));

  // AddAll takes only what is shown.
  model.AddAll();
  EXPECT_EQ(Ids(model.chosen()), (std::vector<int32_t>{11, 14, 13}));
  EXPECT_EQ(Ids(model.available()), (std::vector<int32_t>{12, 10, 15}));

  model.SetFilter(0, true);
  EXPECT_TRUE(model.all_checked());
  EXPECT_EQ(VisibleIds(model), (std::vector<int32_t>{12, 10, 15}));
  model.SetAllFilters(false);
  EXPECT_EQ(model.VisibleAvailableCount(), 0u);
}

TEST(SelectionModel, FiltersDoNotApplyToCompaniesOrUnknownCountries) {
  SelectionModel model;
  model.SetAllFilters(false);
  model.Fill(Parks(), SourceKind::kCompanies, ContentKind::kYear, 2005);
  EXPECT_FALSE(model.filtering_active());
  EXPECT_EQ(model.VisibleAvailableCount(), 6u);
  EXPECT_EQ(model.available()[0].filter, kNoFilter);
  // A park whose country has no filter box is always shown.
  model.Fill({Entity(1, "a", 0), Entity(2, "b", 17), Entity(3, "c", 16)}, SourceKind::kParks,
             ContentKind::kYear, 2005);
  EXPECT_EQ(VisibleIds(model), (std::vector<int32_t>{1, 2}));
}

TEST(AutoSelection, ChooserEntries) {
  const AutoSelectionChooser parks = AutoSelectionChoices(SourceKind::kParks, ContentKind::kValue);
  ASSERT_EQ(parks.entries.size(), 41u);
  EXPECT_TRUE(parks.enabled);
  EXPECT_EQ(parks.entries[0], "keine zus\xe4tzliche automatische Auswahl");
  EXPECT_EQ(parks.entries[1], "+ Ersten");
  EXPECT_EQ(parks.entries[5], "+ ersten 5");
  EXPECT_EQ(parks.entries[20], "+ ersten 20");
  EXPECT_EQ(parks.entries[21], "+ letzten 20");
  EXPECT_EQ(parks.entries[39], "+ letzten 2");
  EXPECT_EQ(parks.entries[40], "+ Letzten");
  EXPECT_EQ(AutoSelectLast(20), 21);
  EXPECT_EQ(AutoSelectLast(1), 40);

  const AutoSelectionChooser countries =
      AutoSelectionChoices(SourceKind::kCountries, ContentKind::kYear);
  EXPECT_FALSE(countries.enabled);
  EXPECT_EQ(countries.entries,
            std::vector<std::string>{"auto. Auswahl f\xfcr L\xe4nder nicht m\xf6glich"});
  const AutoSelectionChooser single = AutoSelectionChoices(SourceKind::kParks, ContentKind::kPark);
  EXPECT_FALSE(single.enabled);
  EXPECT_TRUE(single.entries.empty());
}

TEST(AutoSelection, Applies) {
  struct Case {
    const char* what;
    SourceKind source_kind;
    int choice;
    std::vector<int> unchecked;  // filter boxes
    std::vector<int32_t> chosen_before;
    std::vector<int32_t> expected_chosen;
    size_t expected_added;
  };
  const Case cases[] = {
      {"first 3 in value-list order", SourceKind::kParks, 3, {}, {}, {12, 11, 10}, 3},
      {"first 5 with two already chosen adds three",
       SourceKind::kParks,
       5,
       {},
       {11, 13},
       {12, 11, 14, 10, 13},
       3},
      {"unchecked country neither counts nor is added",
       SourceKind::kParks,
       3,
       {0},
       {},
       {11, 14, 13},
       3},
      {"last 2 walk backwards", SourceKind::kParks, AutoSelectLast(2), {}, {}, {14, 15}, 2},
      {"last 20 ends at the first entity",
       SourceKind::kParks,
       AutoSelectLast(20),
       {},
       {},
       {12, 11, 14, 10, 13, 15},
       6},
      {"companies: first 2 by position", SourceKind::kCompanies, 2, {0, 1}, {}, {11, 10}, 2},
      {"companies: last 1", SourceKind::kCompanies, AutoSelectLast(1), {}, {}, {15}, 1},
      {"countries: nothing", SourceKind::kCountries, 3, {}, {}, {}, 0},
      {"entry 0: nothing", SourceKind::kParks, 0, {}, {}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SelectionModel model;
    for (int box : c.unchecked) model.SetFilter(box, false);
    model.Fill(Parks(), c.source_kind, ContentKind::kValue, 2005);
    for (int32_t id : c.chosen_before) ASSERT_TRUE(model.AddId(id));
    EXPECT_EQ(model.ApplyAutoSelection(c.choice, Parks()), c.expected_added);
    EXPECT_EQ(Ids(model.chosen()), c.expected_chosen);
  }
}

TEST(SelectionTab, ButtonsFollowTheEvents) {
  // apply, add, add_all, remove, remove_all
  using B = std::array<bool, 5>;
  auto state = [](const SelectionTab& tab) {
    const SelectionButtons& b = tab.buttons();
    return B{b.apply, b.add, b.add_all, b.remove, b.remove_all};
  };
  SelectionTab tab;
  tab.model().Fill(Parks(), SourceKind::kParks, ContentKind::kValue, 2005);
  tab.Filled();
  EXPECT_EQ(state(tab), (B{false, false, true, false, false}));

  tab.AvailableListEvent(false, 2);  // a line selected
  EXPECT_EQ(state(tab), (B{false, true, true, false, false}));
  tab.AddClicked({2});
  EXPECT_EQ(state(tab), (B{true, false, true, false, true}));
  tab.AvailableListEvent(true, 0);  // double-click moves alpha over
  EXPECT_EQ(state(tab), (B{true, false, true, false, true}));
  EXPECT_EQ(tab.model().chosen().size(), 2u);

  tab.AddClicked({0, 1});  // several lines selected: bravo and charlie
  EXPECT_EQ(tab.model().chosen().size(), 4u);
  tab.RemoveClicked({0, 1});
  EXPECT_EQ(tab.model().chosen().size(), 2u);

  tab.ChosenListEvent(false, 0);
  EXPECT_TRUE(tab.buttons().remove);
  tab.RemoveClicked({0});
  EXPECT_FALSE(tab.buttons().remove);
  EXPECT_EQ(tab.model().chosen().size(), 1u);

  tab.FilterToggled(0, false);
  tab.FilterToggled(1, false);
  tab.FilterToggled(2, false);  // every park hidden
  EXPECT_FALSE(tab.buttons().add_all);
  tab.AllToggled(true);
  EXPECT_TRUE(tab.buttons().add_all);

  tab.AddAllClicked();
  EXPECT_EQ(state(tab), (B{true, false, false, false, true}));
  EXPECT_TRUE(tab.model().available().empty());
  tab.RemoveAllClicked();
  EXPECT_EQ(state(tab), (B{false, false, true, false, false}));
  EXPECT_TRUE(tab.model().chosen().empty());

  // An automatic choice is enough to apply; taking it back is not.
  tab.AutoChoiceChanged(3);
  EXPECT_EQ(state(tab), (B{true, false, true, false, false}));
  EXPECT_TRUE(tab.buttons().apply);
  tab.AutoChoiceChanged(0);
  EXPECT_FALSE(tab.buttons().apply);
}

// Every button after each kind of change, from a fresh fill of the six
// parks (countries 1-3). The states follow the lists whatever came before.
TEST(SelectionTab, ButtonsAreDerivedFromTheListsAfterEveryChange) {
  using Event = std::function<void(SelectionTab&)>;
  struct Case {
    const char* name;
    std::vector<Event> events;
    SelectionButtons expected;
  };
  auto buttons = [](bool apply, bool add, bool add_all, bool remove, bool remove_all) {
    return SelectionButtons{apply, add, add_all, remove, remove_all, true};
  };
  auto refill = [](SelectionTab& t) {
    t.model().Fill(Parks(), SourceKind::kParks, ContentKind::kValue, 2005);
    t.Filled();
  };
  const Event add_all = [](SelectionTab& t) { t.AddAllClicked(); };
  const Event remove_all = [](SelectionTab& t) { t.RemoveAllClicked(); };
  const Event select_available = [](SelectionTab& t) { t.AvailableListEvent(false, 1); };
  const Event select_chosen = [](SelectionTab& t) { t.ChosenListEvent(false, 0); };
  const Case cases[] = {
      {"fresh fill", {}, buttons(false, false, true, false, false)},
      {"refill after add all", {add_all, refill}, buttons(false, false, true, false, false)},
      {"refill after a selection",
       {select_available, select_chosen, refill},
       buttons(false, false, true, false, false)},
      {"refill drops the automatic choice",
       {[](SelectionTab& t) { t.AutoChoiceChanged(4); }, refill},
       buttons(false, false, true, false, false)},
      {"available line selected", {select_available}, buttons(false, true, true, false, false)},
      {"selection cleared",
       {select_available, [](SelectionTab& t) { t.AvailableListEvent(false, std::nullopt); }},
       buttons(false, false, true, false, false)},
      {"double-click adds",
       {[](SelectionTab& t) { t.AvailableListEvent(true, 0); }},
       buttons(true, false, true, false, true)},
      {"add the last visible line",
       {[](SelectionTab& t) { t.FilterToggled(1, false); },
        [](SelectionTab& t) { t.FilterToggled(2, false); },
        [](SelectionTab& t) {
          t.AddClicked({0, 1, 2});
        }},
       buttons(true, false, false, false, true)},
      {"add all", {add_all}, buttons(true, false, false, false, true)},
      {"chosen line selected", {add_all, select_chosen}, buttons(true, false, false, true, true)},
      {"remove one of all",
       {add_all, select_chosen, [](SelectionTab& t) { t.RemoveClicked({0}); }},
       buttons(true, false, true, false, true)},
      {"double-click removes the only one",
       {[](SelectionTab& t) { t.AddClicked({0}); },
        [](SelectionTab& t) { t.ChosenListEvent(true, 0); }},
       buttons(false, false, true, false, false)},
      {"remove all", {add_all, remove_all}, buttons(false, false, true, false, false)},
      {"every country hidden",
       {[](SelectionTab& t) { t.AllToggled(false); }},
       buttons(false, false, false, false, false)},
      {"filter change drops the available selection",
       {select_available, [](SelectionTab& t) { t.FilterToggled(0, false); }},
       buttons(false, false, true, false, false)},
      {"automatic choice alone",
       {[](SelectionTab& t) { t.AutoChoiceChanged(5); }},
       buttons(true, false, true, false, false)},
      {"automatic choice taken back with something chosen",
       {add_all, [](SelectionTab& t) { t.AutoChoiceChanged(5); },
        [](SelectionTab& t) { t.AutoChoiceChanged(0); }},
       buttons(true, false, false, false, true)},
      {"automatic selection applied outside the tab",
       {[](SelectionTab& t) { t.model().ApplyAutoSelection(AutoSelectFirst(2), Parks()); },
        [](SelectionTab& t) { t.Reshown(); }},
       buttons(true, false, true, false, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SelectionTab tab;
    refill(tab);
    for (const Event& event : c.events) event(tab);
    const SelectionButtons b = tab.buttons();
    EXPECT_EQ(b.apply, c.expected.apply);
    EXPECT_EQ(b.add, c.expected.add);
    EXPECT_EQ(b.add_all, c.expected.add_all);
    EXPECT_EQ(b.remove, c.expected.remove);
    EXPECT_EQ(b.remove_all, c.expected.remove_all);
  }
}

// Return leaves the line that followed the moved ones selected, so that
// neighbours can be moved one after another.
TEST(SelectionTab, ReturnKeepsTheCursorBesideTheMovedLines) {
  using Event = std::function<void(SelectionTab&)>;
  struct Case {
    const char* name;
    ContentKind kind;
    Event before;
    bool on_available;
    std::vector<size_t> selected;
    const char* line;  // the name on the line left selected; "" for none
  };
  // Shown order: alpha, Bravo, charlie, delta, Echo, foxtrot.
  const Event nothing = [](SelectionTab&) {};
  const Case cases[] = {
      {"a middle line", ContentKind::kValue, nothing, true, {2}, "delta"},
      {"the last line", ContentKind::kValue, nothing, true, {5}, "Echo"},
      {"several lines", ContentKind::kValue, nothing, true, {3, 1}, "charlie"},
      {"the only line left",
       ContentKind::kValue,
       [](SelectionTab& t) {
         t.AddClicked({0, 1, 2, 3, 4});
       },
       true,
       {0},
       ""},
      {"nothing selected", ContentKind::kValue, nothing, true, {}, ""},
      {"the chosen list",
       ContentKind::kValue,
       [](SelectionTab& t) { t.AddAllClicked(); },
       false,
       {1},
       "charlie"},
      // alpha comes back ahead of the line moved.
      {"a single choice replaced",
       ContentKind::kPark,
       [](SelectionTab& t) { t.AddClicked({0}); },
       true,
       {2},
       "Echo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SelectionTab tab;
    tab.model().Fill(Parks(), SourceKind::kParks, c.kind, 2005);
    tab.Filled();
    c.before(tab);
    const std::optional<size_t> line = tab.ReturnPressed(c.on_available, c.selected);
    const auto& list = c.on_available ? tab.model().available() : tab.model().chosen();
    const auto rows = c.on_available ? tab.model().AvailableRows() : tab.model().ChosenRows();
    const std::string label = line && *line < rows.size() ? list[rows[*line]].label : "";
    EXPECT_EQ(label.substr(0, label.find(' ')), c.line);
    // The line is selected: Return moves it next.
    EXPECT_EQ(c.on_available ? tab.buttons().add : tab.buttons().remove, line.has_value());
  }
}

TEST(SelectionTab, SourceChooserTogglesTheCountryFilters) {
  SelectionTab tab;
  EXPECT_FALSE(tab.SourceChosen(SourceKind::kParks));  // the first kind seen
  EXPECT_TRUE(tab.SourceChosen(SourceKind::kCompanies));
  EXPECT_FALSE(tab.buttons().filters_enabled);
  EXPECT_FALSE(tab.SourceChosen(SourceKind::kCompanies));
  EXPECT_TRUE(tab.SourceChosen(SourceKind::kCountries));
  EXPECT_FALSE(tab.buttons().filters_enabled);
  EXPECT_TRUE(tab.SourceChosen(SourceKind::kParks));
  EXPECT_TRUE(tab.buttons().filters_enabled);
}

TEST(CalculationChooser, OffersNumberedCalculationsAndUnbenanntForParkContent) {
  CalculationList list;
  list.entries = {
      {3, "Drei", "", ""}, {1, "Eins", "", ""}, {kClosingEntryNumber, "Unbenannt", "", ""}};
  EXPECT_EQ(CalculationChooserPositions(list, ContentKind::kValue), (std::vector<size_t>{0, 1}));
  EXPECT_EQ(CalculationChooserPositions(list, ContentKind::kPark), (std::vector<size_t>{0, 1, 2}));
  EXPECT_EQ(CalculationChooserPositions(list, ContentKind::kYear), (std::vector<size_t>{0, 1}));
}

}  // namespace
}  // namespace wunt
