// The overview page's selection form and the name offered for saving.
#include "viewer/wizard/page_commands.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

constexpr int32_t kSeason = 7;

class PageCommands : public testing::Test {
 protected:
  void SetUp() override {
    // CTest runs the tests side by side: a folder each.
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    state_.data_dir = test::MakeProgramFolder("page_commands_" + name, kSeason) / "Data";
  }
  void Road(ContentKind kind, int auto_choice) {
    ASSERT_TRUE(LoadRequestSeason(state_, kSeason, kind, sink_));
    const int32_t highest = state_.season_data.highest_year;
    ASSERT_TRUE(ApplyRequestSpan(state_, 0, highest - 2, highest, false, SourceKind::kParks));
    ASSERT_TRUE(ApplyRequestSelection(state_, auto_choice));
  }
  std::vector<int32_t> ChosenIds() const {
    std::vector<int32_t> ids;
    for (const SelectionEntry& e : state_.selection().chosen()) ids.push_back(e.id);
    return ids;
  }

  RequestState state_;
  RecordingMessageSink sink_;
};

TEST_F(PageCommands, AddAndRemoveByPositionAndIgnoreWhatIsOutOfRange) {
  Road(ContentKind::kValue, AutoSelectFirst(2));
  const size_t available = state_.selection().available().size();
  const struct {
    const char* command;
    bool changed;
    size_t chosen;
  } cases[] = {
      {"window:refresh?add=0", true, 3},
      {"window:refresh?add=-1", false, 3},
      {"window:refresh?add=", false, 3},
      {"window:refresh?remove=1&btn_remove=remove", true, 2},
      {"window:refresh?remove=7&btn_remove=remove", false, 2},
      {"window:refresh?add=99999", false, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(ApplyPageForm(state_, c.command), c.changed);
    EXPECT_EQ(state_.selection().chosen().size(), c.chosen);
    EXPECT_EQ(state_.table.rows.size(), c.chosen);
  }
  EXPECT_EQ(state_.selection().available().size(), available);
}

TEST_F(PageCommands, ChangeShowsTheEntityTheOptionNamed) {
  Road(ContentKind::kPark, 0);
  ASSERT_TRUE(state_.selection().AddPosition(0));
  RebuildRequestTable(state_);
  // The page numbered its options while entity 0 was still chosen, so
  // option 0 is the entry that followed it in the available list.
  const int32_t shown = state_.selection().chosen().front().id;
  const int32_t next = state_.selection().available()[0].id;
  ASSERT_TRUE(ApplyPageForm(state_, "window:refresh?change=0"));
  EXPECT_EQ(ChosenIds(), std::vector<int32_t>{next});
  EXPECT_NE(next, shown);
  EXPECT_FALSE(ApplyPageForm(state_, "window:refresh?change=100000"));
  EXPECT_EQ(ChosenIds(), std::vector<int32_t>{next});
}

// Content kind "Park" after several parks were added on tab 3: every
// change shows the park picked from the page's list, and only it.
TEST_F(PageCommands, ChangeAfterSeveralAddsShowsThePickedPark) {
  Road(ContentKind::kPark, 0);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(state_.selection().AddPosition(0));
  RebuildRequestTable(state_);
  ASSERT_EQ(state_.table.rows.size(), 1u);
  for (const int option : {2, 0, 5}) {
    SCOPED_TRACE(option);
    // The page lists the available parks and, as the first option, the
    // shown one; option 0 names the first available entry.
    const int32_t picked = state_.selection().available()[static_cast<size_t>(option)].id;
    ASSERT_TRUE(ApplyPageForm(state_, "window:refresh?change=" + std::to_string(option)));
    EXPECT_EQ(ChosenIds(), std::vector<int32_t>{picked});
    ASSERT_EQ(state_.table.rows.size(), 1u);
    EXPECT_EQ(state_.table.rows.front().id, picked);
  }
}

TEST_F(PageCommands, ExportFileNamesFollowTheContentKind) {
  Road(ContentKind::kValue, AutoSelectFirst(1));
  const std::string calculation = state_.calculation_entry()->name;
  EXPECT_EQ(ExportFileName(state_), "R7_" + calculation + "_Uebersicht.htm");
  state_.content_kind = ContentKind::kYear;
  EXPECT_EQ(ExportFileName(state_),
            "R7_" + calculation + "_" + std::to_string(state_.settings.start_year) + ".htm");
  state_.content_kind = ContentKind::kPark;
  EXPECT_EQ(ExportFileName(state_), "R7_" + state_.table.rows.front().name + "_Uebersicht.htm");
}

}  // namespace
}  // namespace wunt
