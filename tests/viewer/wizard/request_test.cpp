// The wizard's request road on a demo season, without any window: what each
// step leaves in the state, and the ways a step can refuse.
#include "viewer/wizard/request.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>

#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kSeason = 7;

class RequestRoad : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // CTest runs the tests side by side: a folder for each process.
    folder_ = new fs::path(
        test::MakeProgramFolder("request_road_" + std::to_string(::getpid()), kSeason));
  }
  static void TearDownTestSuite() { delete folder_; }

  void SetUp() override { state_.data_dir = *folder_ / "Data"; }

  // Steps 1 and 2 with the first calculation offered for `kind`.
  void Span(ContentKind kind, SourceKind source) {
    ASSERT_TRUE(LoadRequestSeason(state_, kSeason, kind, sink_));
    const int32_t lowest = state_.season_data.lowest_year;
    const int32_t highest = state_.season_data.highest_year;
    ASSERT_TRUE(ApplyRequestSpan(state_, 0, lowest, highest, false, source));
  }

  static fs::path* folder_;
  RequestState state_;
  RecordingMessageSink sink_;
};

fs::path* RequestRoad::folder_ = nullptr;

TEST_F(RequestRoad, StepOneLoadsTheSeasonAndOffersItsCalculations) {
  ASSERT_TRUE(LoadRequestSeason(state_, kSeason, ContentKind::kValue, sink_));
  EXPECT_EQ(state_.season, kSeason);
  EXPECT_EQ(state_.season_data.highest_year - state_.season_data.lowest_year, 5);
  EXPECT_FALSE(state_.calculations.entries.empty());
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(RequestRoad, AMissingSeasonIsForgottenSoThatAskingAgainTriesAgain) {
  EXPECT_FALSE(LoadRequestSeason(state_, 99, ContentKind::kValue, sink_));
  EXPECT_EQ(state_.season, 0);
  EXPECT_TRUE(LoadRequestSeason(state_, kSeason, ContentKind::kValue, sink_));
}

TEST_F(RequestRoad, EverySourceKindFillsItsListAndTheFirstFiveBecomeRows) {
  const struct {
    ContentKind content;
    SourceKind source;
  } cases[] = {{ContentKind::kValue, SourceKind::kParks},
               {ContentKind::kValue, SourceKind::kCompanies},
               {ContentKind::kYear, SourceKind::kParks},
               {ContentKind::kYear, SourceKind::kCompanies}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "content " << static_cast<int>(c.content) << " source "
                                    << static_cast<int>(c.source));
    Span(c.content, c.source);
    EXPECT_FALSE(state_.selection().available().empty());
    EXPECT_TRUE(state_.selection().chosen().empty());
    ASSERT_TRUE(ApplyRequestSelection(state_, AutoSelectFirst(5)));
    EXPECT_EQ(state_.selection().chosen().size(), 5u);
    EXPECT_EQ(state_.table.rows.size(), 5u);
  }
}

TEST_F(RequestRoad, ChangingTheSourceRefillsTheLists) {
  Span(ContentKind::kValue, SourceKind::kParks);
  const size_t parks = state_.selection().available().size();
  ChangeRequestSource(state_, SourceKind::kCompanies);
  EXPECT_EQ(state_.source_kind, SourceKind::kCompanies);
  EXPECT_NE(state_.selection().available().size(), parks);
  EXPECT_EQ(state_.selection().available().size(), state_.lists.companies.size());
}

TEST_F(RequestRoad, ACancelledComputationBuildsNoTable) {
  Span(ContentKind::kValue, SourceKind::kParks);
  std::atomic<bool> cancel{true};
  WorkControl control;
  control.cancel = &cancel;
  EXPECT_FALSE(ApplyRequestSelection(state_, AutoSelectFirst(3), control));
  EXPECT_TRUE(state_.table.rows.empty());
  // The next try computes.
  EXPECT_TRUE(ApplyRequestSelection(state_, 0));
  EXPECT_EQ(state_.table.rows.size(), 3u);
}

}  // namespace
}  // namespace wunt
