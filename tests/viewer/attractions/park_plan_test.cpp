#include "viewer/attractions/park_plan.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <mutex>

#include "common/file_util.h"
#include "common/text.h"
#include "tests/support/scratch_folder.h"
#include "viewer/attractions/park_plan_export.h"
#include "viewer/attractions/park_plan_view.h"
#include "viewer/attractions/picture_index.h"

namespace wunt {
namespace {

using test::ScratchFolder;
using test::WriteBytes;

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kRed = {200, 0, 0};
constexpr Rgb kBlue = {0, 0, 200};

std::string PlacedRun(int x, int y, const std::string& picture) {
  return "a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\nx = " + std::to_string(x) +
         "\r\ny = " + std::to_string(y) + "\r\np = " + picture + "\r\n";
}

TEST(DrawImageBlended, ConstantOpacityClipped) {
  const RasterImage source(4, 4, {200, 100, 0});
  struct Case {
    int alpha;
    Rgb want;
  };
  for (const Case& c : {Case{0, {10, 10, 10}}, Case{255, {200, 100, 0}}, Case{128, {105, 55, 5}},
                        Case{-3, {10, 10, 10}}}) {
    RasterImage target(3, 3, {10, 10, 10});
    DrawImageBlended(target, source, 1, -2, c.alpha);
    EXPECT_EQ(target.Pixel(2, 1), c.want) << c.alpha;
    EXPECT_EQ(target.Pixel(0, 0), (Rgb{10, 10, 10})) << c.alpha;
    EXPECT_EQ(target.Pixel(1, 2), (Rgb{10, 10, 10})) << c.alpha;  // below the picture
  }
}

// Two years of one park, pictures in red and blue, one missing, one broken.
class ParkPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto& s = season_.path();
    WriteBytes(s / "1970" / "Images" / "red.bmp", EncodeBmp(RasterImage(100, 50, kRed)));
    WriteBytes(s / "1970" / "Images" / "blue.bmp", EncodeBmp(RasterImage(60, 60, kBlue)));
    WriteBytes(s / "1970" / "Images" / "broken.jpg", "\xFF\xD8\xFFnot really");
    WriteBytes(s / "ImageStore.ini",
               "red.jpg = 1970\\Images\\red.bmp\r\nblue.jpg = 1970\\Images\\blue.bmp\r\n"
               "broken.jpg = 1970\\Images\\broken.jpg\r\nevil.jpg = ..\\..\\blue.bmp\r\n");
    WriteBytes(s / "1970" / "Park.ini",
               "[5]\r\n0 = 5\r\n[5_Attractionlist]\r\n" + PlacedRun(10, 10, "red.jpg") +
                   PlacedRun(50, 20, "blue.jpg") + PlacedRun(300, 300, "missing.jpg") +
                   PlacedRun(400, 400, "broken.jpg") + PlacedRun(500, 500, "evil.jpg") +
                   // clipped at all four edges
                   PlacedRun(-30, 600, "red.jpg") + PlacedRun(900, 700, "red.jpg") +
                   PlacedRun(400, -20, "red.jpg") + PlacedRun(400, 1380, "red.jpg") +
                   PlacedRun(INT_MIN, INT_MAX, "red.jpg"));
    // 1971 cannot be read: it keeps 1970's layout. 1972 has no group: empty.
    std::filesystem::create_directories(s / "1971");
    WriteBytes(s / "1972" / "Park.ini", "[5]\r\n0 = 5\r\n");
  }
  ParkPlanRequest Request() const { return {season_.path(), 5, "Sonnental", 1970, 1972}; }
  ScratchFolder season_;
};

TEST_F(ParkPlanTest, DrawsInFileOrderClippedAndSkipsBadPictures) {
  std::optional<ParkPlans> plans = ParkPlans::Load(Request());
  ASSERT_TRUE(plans);
  EXPECT_EQ(plans->picture_count(), 2);  // red and blue, each decoded once
  RasterImage plan;
  ASSERT_TRUE(plans->Draw(1970, plan));
  ASSERT_EQ(plan.width(), kPlanWidth);
  ASSERT_EQ(plan.height(), kPlanHeight);
  EXPECT_EQ(plan.Pixel(20, 15), kRed);
  EXPECT_EQ(plan.Pixel(55, 25), kBlue);  // the later picture covers the earlier
  EXPECT_EQ(plan.Pixel(305, 305), kWhite);
  EXPECT_EQ(plan.Pixel(405, 405), kWhite);
  EXPECT_EQ(plan.Pixel(505, 505), kWhite);
  EXPECT_EQ(plan.Pixel(0, 610), kRed);
  EXPECT_EQ(plan.Pixel(69, 610), kRed);
  EXPECT_EQ(plan.Pixel(70, 610), kWhite);
  EXPECT_EQ(plan.Pixel(949, 710), kRed);
  EXPECT_EQ(plan.Pixel(450, 0), kRed);
  EXPECT_EQ(plan.Pixel(450, 29), kRed);
  EXPECT_EQ(plan.Pixel(450, 1399), kRed);

  RasterImage kept;
  ASSERT_TRUE(plans->Draw(1971, kept));
  EXPECT_EQ(kept, plan);
  RasterImage empty;
  ASSERT_TRUE(plans->Draw(1972, empty));
  EXPECT_EQ(empty, RasterImage(kPlanWidth, kPlanHeight));
  EXPECT_FALSE(plans->Draw(1973, empty));
}

// Three years of one picture each, a budget of two. A picture whose file is
// gone can only be drawn from memory; one whose file is there is decoded
// again when it was dropped.
TEST(ParkPlanPictures, TheBudgetKeepsTheRecentlyUsedAndDecodesTheRestAgain) {
  ScratchFolder season;
  const auto& s = season.path();
  const struct {
    const char* name;
    Rgb color;
  } pictures[] = {{"a", kRed}, {"b", kBlue}, {"c", {0, 200, 0}}};
  std::string index;
  for (int i = 0; i < 3; ++i) {
    const std::string year = std::to_string(1970 + i);
    const std::string file = std::string(pictures[i].name) + ".bmp";
    WriteBytes(s / year / "Images" / file, EncodeBmp(RasterImage(100, 100, pictures[i].color)));
    index += file + " = " + year + "\\Images\\" + file + "\r\n";
    WriteBytes(s / year / "Park.ini",
               "[5]\r\n0 = 5\r\n[5_Attractionlist]\r\n" + PlacedRun(0, 0, file));
  }
  WriteBytes(s / "ImageStore.ini", index);
  ParkPlanRequest request{s, 5, "Sonnental", 1970, 1972};
  request.picture_budget = 2 * 100 * 100 * 3 + 100;
  std::optional<ParkPlans> plans = ParkPlans::Load(request);
  ASSERT_TRUE(plans);
  RasterImage plan;
  // Used last: a, then b; c is the one dropped.
  for (int32_t year : {1972, 1971, 1970}) plans->Draw(year, plan);
  std::filesystem::remove(s / "1970" / "Images" / "a.bmp");
  std::filesystem::remove(s / "1971" / "Images" / "b.bmp");
  const struct {
    int32_t year;
    Rgb color;
    const char* why;
  } steps[] = {
      {1970, kRed, "kept, though its file is gone"},
      {1972, {0, 200, 0}, "decoded again; b, used longest ago, makes room"},
      {1971, kWhite, "dropped, and its file is gone"},
      {1970, kRed, "still kept"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.why);
    ASSERT_TRUE(plans->Draw(step.year, plan));
    EXPECT_EQ(plan.Pixel(50, 50), step.color);
    EXPECT_LE(plans->picture_count(), 2);
  }
}

TEST_F(ParkPlanTest, NoPictureIndexNoPlans) {
  std::filesystem::remove(season_.path() / "ImageStore.ini");
  std::optional<ParkPlans> plans = ParkPlans::Load(Request());
  ASSERT_TRUE(plans);
  RasterImage plan;
  EXPECT_FALSE(plans->HasPlan(1970));
  EXPECT_FALSE(plans->Draw(1970, plan));
  EXPECT_TRUE(plan.empty());
}

// Year folders have four-digit names, so a park may span up to 9000 years;
// the years past the last Park.ini keep its layout.
TEST_F(ParkPlanTest, EveryFourDigitSpanHasPlans) {
  ParkPlanRequest request = Request();
  request.first_year = 1000;
  request.last_year = 9999;
  std::optional<ParkPlans> plans = ParkPlans::Load(request);
  ASSERT_TRUE(plans);
  RasterImage plan;
  ASSERT_TRUE(plans->Draw(9999, plan));
  EXPECT_EQ(plan, RasterImage(kPlanWidth, kPlanHeight));
  ASSERT_TRUE(plans->Draw(1971, plan));
  EXPECT_EQ(plan.Pixel(20, 15), kRed);
}

TEST_F(ParkPlanTest, ProgressAndCancel) {
  std::mutex m;
  std::vector<std::pair<int, int>> seen;
  WorkControl control;
  control.progress = [&](int done, int total) {
    std::lock_guard<std::mutex> lock(m);
    seen.emplace_back(done, total);
  };
  ASSERT_TRUE(ParkPlans::Load(Request(), control));
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), (std::pair<int, int>{6, 6}));

  std::atomic<bool> cancel{true};
  control.cancel = &cancel;
  EXPECT_FALSE(ParkPlans::Load(Request(), control));
}

TEST_F(ParkPlanTest, SavedFilesDecodeInTheAskedFormat) {
  std::optional<ParkPlans> plans = ParkPlans::Load(Request());
  ASSERT_TRUE(plans);
  ScratchFolder out;
  struct Case {
    int menu_id;
    ImageFormat format;
    const char* extension;
  };
  std::uintmax_t size_q0 = 0, size_q100 = 0;
  for (const Case& c :
       {Case{100, ImageFormat::kJpeg, ".jpg"}, Case{110, ImageFormat::kJpeg, ".jpg"},
        Case{200, ImageFormat::kPng, ".png"}, Case{300, ImageFormat::kBmp, ".bmp"}}) {
    auto format = PlanFormatForMenuId(c.menu_id);
    ASSERT_TRUE(format);
    PlanSaveReport report = SaveParkPlans(*plans, out.path(), *format);
    EXPECT_EQ(report.written, 3) << c.menu_id;
    EXPECT_EQ(report.failed, 0);
    for (int year : {1970, 1971, 1972}) {
      const auto file = out.path() / ("Sonnental_" + std::to_string(year) + c.extension);
      auto bytes = ReadWholeFile(file);
      ASSERT_TRUE(bytes) << file;
      EXPECT_EQ(DetectImageFormat(*bytes), c.format);
      auto image = DecodeImage(*bytes);
      ASSERT_TRUE(image);
      EXPECT_EQ(image->width(), kPlanWidth);
      EXPECT_EQ(image->height(), kPlanHeight);
      if (c.format == ImageFormat::kPng && year == 1970) {
        EXPECT_EQ(image->Pixel(55, 25), kBlue);
      }
    }
    const auto size = std::filesystem::file_size(out.path() / "Sonnental_1970.jpg");
    (c.menu_id == 100 ? size_q0 : size_q100) = c.menu_id <= 110 ? size : size_q100;
  }
  EXPECT_LT(size_q0, size_q100);
  EXPECT_FALSE(PlanFormatForMenuId(111));
  EXPECT_EQ(PlanFormatForMenuId(105)->quality, 50);
}

TEST_F(ParkPlanTest, FailuresAreCountedAndNamed) {
  std::optional<ParkPlans> plans = ParkPlans::Load(Request());
  ASSERT_TRUE(plans);
  ScratchFolder out;
  // A folder in the way of the second year's file.
  std::filesystem::create_directories(out.path() / "Sonnental_1971.png" / "x");
  PlanSaveReport report = SaveParkPlans(*plans, out.path(), {PlanFormat::kPng, 0});
  EXPECT_EQ(report.written, 2);
  EXPECT_EQ(report.failed, 1);
  EXPECT_EQ(report.first_failed, "Sonnental_1971.png");
  EXPECT_EQ(PlanSaveFailureText(report),
            "Konnte Bild nicht speichern: Sonnental_1971.png\r\n2 von 3 Dateien wurden "
            "geschrieben.");
  EXPECT_EQ(PlanSaveFailureText({}), "");

  report = SaveParkPlans(*plans, out.path() / "gone", {PlanFormat::kBmp, 0});
  EXPECT_EQ(report.failed, 3);
  EXPECT_EQ(report.first_failed, "Sonnental_1970.bmp");
}

TEST(PlanFileName, ParkNamesNeverLeaveTheFolder) {
  EXPECT_EQ(PlanFileName("Sonnental", 1970, PlanFormat::kPng), "Sonnental_1970.png");
  EXPECT_EQ(PlanFileName("M\xFChle", 1999, PlanFormat::kJpeg), "M\xC3\xBChle_1999.jpg");
  EXPECT_EQ(PlanFileName("../a\\b:c", 2001, PlanFormat::kBmp), ".._a_b_c_2001.bmp");
}

// A file system takes names of 255 bytes; "\xFC" takes two in UTF-8.
TEST_F(ParkPlanTest, LongParkNamesAreShortenedAndKeptInThePicture) {
  const std::string long_name = std::string(200, 'a') + std::string(100, '\xFC');
  const std::string other = std::string(200, 'a') + std::string(100, 'b');
  const std::string shortened = PlanFileName(long_name, 1970, PlanFormat::kPng);
  EXPECT_LE(shortened.size() + 32, 255u);  // with room for the temporary name
  EXPECT_TRUE(shortened.ends_with("_1970.png")) << shortened;
  EXPECT_TRUE(Utf8ToCp1252(shortened).starts_with(std::string(200, 'a') + "\xFC"));
  EXPECT_NE(shortened, PlanFileName(other, 1970, PlanFormat::kPng));

  ParkPlanRequest request = Request();
  request.park_name = long_name;
  std::optional<ParkPlans> plans = ParkPlans::Load(request);
  ASSERT_TRUE(plans);
  ScratchFolder out;
  for (PlanFormat format : {PlanFormat::kPng, PlanFormat::kJpeg, PlanFormat::kBmp}) {
    const PlanSaveReport report = SaveParkPlans(*plans, out.path(), {format, 80});
    EXPECT_EQ(report.written, 3);
    const std::string bytes =
        ReadWholeFile(out.path() / PlanFileName(long_name, 1970, format)).value_or("");
    ASSERT_TRUE(DecodeImage(bytes)) << static_cast<int>(format);
    EXPECT_EQ(bytes.find(long_name) != std::string::npos, format != PlanFormat::kBmp);
  }
}

// Before anything is decoded: no placement shows more than the canvas, so
// a picture declaring more is damage, whatever its few bytes hold.
TEST(PlacedPicture, DeclaredSizeReadFromTheHeaderAndBeyondTheCanvasRefused) {
  const RasterImage small(7, 5);
  std::string top_down = EncodeBmp(small);
  top_down[22] = static_cast<char>(-5);  // height -5: rows top-down
  for (int i = 23; i < 26; ++i) top_down[static_cast<size_t>(i)] = '\xFF';
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<PictureSize> declared;
  };
  const std::string jpeg = EncodeJpeg(small, 80);
  const Case cases[] = {
      {"bitmap", EncodeBmp(small), PictureSize{7, 5}},
      {"bitmap top-down", top_down, PictureSize{7, 5}},
      {"PNG", EncodePng(small), PictureSize{7, 5}},
      {"JPEG", jpeg, PictureSize{7, 5}},
      {"JPEG with a comment first",
       jpeg.substr(0, 2) + std::string("\xFF\xFE\x00\x04hi", 6) + jpeg.substr(2),
       PictureSize{7, 5}},
      {"JPEG cut before its frame", jpeg.substr(0, 30), std::nullopt},
      {"PNG cut in its header", EncodePng(small).substr(0, 20), std::nullopt},
      {"no picture", "GIF89a", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeclaredPictureSize(c.bytes), c.declared) << c.what;
  }

  ScratchFolder folder;
  struct Size {
    int width, height;
    bool placed;
  };
  for (const Size& size : {Size{950, 1400, true}, Size{951, 10, false}, Size{10, 1401, false}}) {
    const auto file = folder.path() / "p.bmp";
    WriteBytes(file, EncodeBmp(RasterImage(size.width, size.height)));
    EXPECT_EQ(LoadPlacedPicture(file).has_value(), size.placed) << size.width << "x" << size.height;
  }
}

TEST(YearLabels, EveryCthYearFirstAtTheBottom) {
  // 60 years on 1000 pixels: 979 / 59 = 16.6 per year, every second year.
  std::vector<YearLabel> labels = YearLabels(1970, 2029, 1000);
  ASSERT_EQ(labels.size(), 30u);
  EXPECT_EQ(labels.front().year, 1970);
  EXPECT_EQ(labels.front().y, 981);
  EXPECT_EQ(labels[1].year, 1972);
  EXPECT_EQ(labels[1].y, static_cast<int>(std::nearbyint(1000 - 2 * 979.0 / 59 - 19)));
  EXPECT_EQ(labels.back().year, 2028);
  for (const YearLabel& l : labels) EXPECT_EQ(l.year % 2, 0);

  labels = YearLabels(1975, 1975, 600);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].y, 581);
  EXPECT_EQ(YearLabels(1970, 1979, 500).size(), 10u);  // roomy: every year
  EXPECT_LE(YearLabels(1970, 2029, 10).size(), 1u);    // no room: no endless loop
}

TEST(StepAnimation, FadeHoldAdvanceStop) {
  struct Case {
    int32_t year;
    int64_t t0, now;
    AnimationStep want;
  };
  const Case cases[] = {
      {1971, 0, 0, {1971, 0, 0, true}},       // fade begins
      {1971, 0, 1000, {1971, 0, 127, true}},  // 1000 * 256 / 2000 - 1
      {1971, 0, 2000, {1971, 0, 255, true}},
      {1970, 0, 1000, {1970, 0, -1, true}},        // first year: nothing to fade from
      {1971, 0, 3000, {1971, 0, -1, true}},        // hold
      {1971, 0, 5000, {1972, 5000, 0, true}},      // next year
      {1971, 0, 16000, {1974, 15000, 127, true}},  // late turns catch up
      {1975, 0, 2500, {1975, 0, -1, false}},       // last year: stop
      {1974, 0, 9000, {1975, 5000, -1, false}},
  };
  for (const Case& c : cases) {
    AnimationStep got = StepAnimation(c.year, 1970, 1975, c.t0, c.now);
    EXPECT_EQ(got.year, c.want.year) << c.now;
    EXPECT_EQ(got.t0, c.want.t0) << c.now;
    EXPECT_EQ(got.alpha, c.want.alpha) << c.now;
    EXPECT_EQ(got.playing, c.want.playing) << c.now;
  }
}

TEST_F(ParkPlanTest, FramesFadeOverTheYearBefore) {
  std::optional<ParkPlans> plans = ParkPlans::Load(Request());
  ASSERT_TRUE(plans);
  PlanFrames frames(*plans);
  EXPECT_EQ(frames.Frame(1972, 0).Pixel(20, 15), kRed);  // all 1971
  EXPECT_EQ(frames.Frame(1972, 255).Pixel(20, 15), kWhite);
  const Rgb half = frames.Frame(1972, 128).Pixel(20, 15);
  EXPECT_EQ(half, (Rgb{228, 128, 128}));
  EXPECT_EQ(frames.Frame(1970, 100).Pixel(20, 15), kRed);  // no year before
  EXPECT_TRUE(frames.Frame(1980).empty());
  EXPECT_EQ(ParkPlanTitle(plans->request()),
            "WUNT2.1 Viewer (V0.05 Alpa 3) - Parkplan f\xFCr Sonnental (1970 - 1972)");
}

}  // namespace
}  // namespace wunt
