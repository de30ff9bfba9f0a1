// The park plan opened from the wizard (content kind "Park" without a
// calculation) on a demo season with pictures: the years, the slider and
// its labels, the animation on a test clock, and saving in every format.
#include "viewer/attractions/gui/park_plan_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <iterator>
#include <map>

#include "common/file_util.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "tests/support/gui/gui_support.h"
#include "tests/support/gui/wizard_fixture.h"
#include "viewer/attractions/gui/raster_qimage.h"
#include "viewer/attractions/gui/wait_window.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/wizard/gui/main_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using test::WaitFor;

class ParkPlanWindowTest : public test::WizardTest {
 protected:
  ParkPlanWindowTest() : WizardTest("plan") {}
  void SetUp() override {
    WizardTest::SetUp();
    DemoSeasonOptions options = test::SmallSeason(12, 3, 5);
    options.pictures = true;
    options.max_placed = 12;
    test::WriteDemoData(folder_ / "Data", options);
    out_ = folder_ / "out";
    fs::remove_all(out_);
    fs::create_directories(out_);
    OpenWizard();
  }

  // Tab 1 "Park", tab 2 "Unbenannt", the park that lived longest chosen,
  // apply: the plan opens once it is drawn.
  ParkPlanWindow* Open() {
    const MainWindow::Controls& c = window_->controls();
    c.kind_park->click();
    c.apply1->click();
    c.calculation->setCurrentIndex(c.calculation->findText(QStringLiteral("Unbenannt")));
    c.apply2->click();
    emit c.available->itemDoubleClicked(c.available->item(LongestLivedRow()));
    c.apply3->click();
    ParkPlanWindow* plan = nullptr;
    if (!WaitFor([&] {
          plan = Find();
          return plan != nullptr && plan->loaded();
        })) {
      return nullptr;
    }
    request_ = {window_->state().season_folder(), window_->state().table.rows.front().id,
                window_->state().table.rows.front().name,
                window_->state().table.rows.front().first_year,
                window_->state().table.rows.front().last_year};
    return plan;
  }

  int LongestLivedRow() const {
    const RequestState& state = window_->state();
    const std::vector<size_t> visible = state.selection().VisibleAvailable();
    int best_row = 0;
    int32_t best_span = -1;
    for (size_t row = 0; row < visible.size(); ++row) {
      const int32_t id = state.selection().available()[visible[row]].id;
      for (const ValueRecord& park : state.lists.parks) {
        if (park.id == id && park.last_year - park.first_year > best_span) {
          best_span = park.last_year - park.first_year;
          best_row = static_cast<int>(row);
        }
      }
    }
    return best_row;
  }
  ParkPlanWindow* Find() const {
    return dynamic_cast<ParkPlanWindow*>(window_->findChild<QWidget*>(kParkPlanWindowName));
  }

  // Saves through the context menu entry `id` into out_.
  void Save(ParkPlanWindow* plan, int id, const fs::path& target) {
    for (QAction* action : plan->controls().menu->findChildren<QAction*>()) {
      if (action->data().toInt() == id) {
        FileDialogs::SetNextFileName(QString::fromStdString(target.string()));
        action->trigger();
        ASSERT_TRUE(WaitFor([&] { return !plan->busy(); }));
        test::Settle(std::chrono::milliseconds(50));
        return;
      }
    }
    FAIL() << "no menu entry " << id;
  }

  fs::path out_;
  ParkPlanRequest request_;
};

TEST_F(ParkPlanWindowTest, OpensForTheChosenParkWithItsYearsAndPlans) {
  ParkPlanWindow* plan = Open();
  ASSERT_NE(plan, nullptr);
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(plan->isVisible());
  EXPECT_TRUE(plan->isMaximized());
  EXPECT_EQ(plan->wait_window(), nullptr);
  EXPECT_EQ(plan->windowTitle(), FromCp1252(ParkPlanTitle(request_)));
  const ParkPlanWindow::Controls& c = plan->controls();
  EXPECT_EQ(c.slider->minimum(), request_.first_year);
  EXPECT_EQ(c.slider->maximum(), request_.last_year);
  EXPECT_EQ(c.slider->orientation(), Qt::Vertical);
  EXPECT_EQ(c.play->text(), QStringLiteral(">"));
  EXPECT_EQ(c.plan->size(), QSize(kPlanWidth, kPlanHeight));

  // Labels: years of the span, the first at the bottom.
  ASSERT_FALSE(c.year_labels.empty());
  EXPECT_EQ(c.year_labels.front()->text(), QString::number(request_.first_year));
  for (size_t i = 1; i < c.year_labels.size(); ++i) {
    EXPECT_LT(c.year_labels[i]->y(), c.year_labels[i - 1]->y());
  }

  // What is shown is the model's plan of the slider's year, pixel for pixel.
  std::optional<ParkPlans> plans = ParkPlans::Load(request_);
  ASSERT_TRUE(plans.has_value());
  for (int32_t year : {request_.first_year, request_.last_year}) {
    c.slider->setValue(year);
    EXPECT_EQ(plan->shown_year(), year);
    EXPECT_EQ(c.slider->toolTip(), QString::number(year));
    RasterImage expected;
    ASSERT_TRUE(plans->Draw(year, expected));
    EXPECT_EQ(c.plan->pixmap().toImage().convertToFormat(QImage::Format_RGB888),
              ToQImage(expected));
  }
  test::Screenshot(plan, "park_plan_window");

  // The menu as the user sees it.
  const QList<QAction*> top = c.menu->actions();
  ASSERT_EQ(top.size(), 5);
  EXPECT_EQ(top[0]->text(), QStringLiteral("Parkpläne speichern als ..."));
  EXPECT_FALSE(top[0]->isEnabled());
  EXPECT_TRUE(top[1]->isSeparator());
  ASSERT_NE(top[2]->menu(), nullptr);
  const QList<QAction*> jpeg = top[2]->menu()->actions();
  ASSERT_EQ(jpeg.size(), 11);
  EXPECT_EQ(jpeg.front()->text(), QStringLiteral("Stufe 10 (höchste Qualität)"));
  EXPECT_EQ(jpeg[1]->text(), QStringLiteral("Stufe 9"));
  EXPECT_EQ(jpeg.back()->text(), QStringLiteral("Stufe 0 (geringste Qualität)"));
  EXPECT_EQ(top[3]->data().toInt(), 200);
  EXPECT_EQ(top[4]->data().toInt(), 300);

  plan->close();
  ASSERT_TRUE(WaitFor([&] { return Find() == nullptr; }));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->controls().tabs->currentIndex(), 2);
}

TEST_F(ParkPlanWindowTest, PlayFadesYearIntoYearAndStopsOnTheLast) {
  ParkPlanWindow* plan = Open();
  ASSERT_NE(plan, nullptr);
  ASSERT_GE(request_.last_year - request_.first_year, 2) << "the demo park lives several years";
  int64_t now = 1'000'000;
  plan->set_clock([&now] { return now; });
  const ParkPlanWindow::Controls& c = plan->controls();
  c.play->click();
  // Two seconds of the current year first.
  EXPECT_EQ(plan->shown_year(), request_.first_year);
  EXPECT_EQ(plan->shown_alpha(), -1);
  now += 2000;
  ASSERT_TRUE(WaitFor([&] { return plan->shown_year() == request_.first_year + 1; }));
  EXPECT_EQ(c.slider->value(), request_.first_year + 1);
  EXPECT_EQ(plan->shown_alpha(), 0);
  now += 1000;
  ASSERT_TRUE(WaitFor([&] { return plan->shown_alpha() == 127; }));
  test::Screenshot(plan, "park_plan_window_fading");
  now += 2500;
  ASSERT_TRUE(WaitFor([&] { return plan->shown_alpha() == -1; }));
  EXPECT_TRUE(c.play->isChecked());
  now += 5000 * int64_t{request_.last_year - request_.first_year};
  ASSERT_TRUE(WaitFor([&] { return !c.play->isChecked(); }));
  EXPECT_EQ(c.slider->value(), request_.last_year);
  EXPECT_EQ(plan->shown_year(), request_.last_year);
}

TEST_F(ParkPlanWindowTest, SavesEveryYearInTheChosenFormat) {
  ParkPlanWindow* plan = Open();
  ASSERT_NE(plan, nullptr);
  struct Case {
    int menu_id;
    const char* extension;
    ImageFormat format;
  };
  const Case cases[] = {
      {110, ".jpg", ImageFormat::kJpeg},
      {100, ".jpg", ImageFormat::kJpeg},
      {200, ".png", ImageFormat::kPng},
      {300, ".bmp", ImageFormat::kBmp},
  };
  std::map<int, uintmax_t> jpeg_sizes;
  for (const Case& k : cases) {
    const fs::path folder = out_ / std::to_string(k.menu_id);
    fs::create_directories(folder);
    Save(plan, k.menu_id, folder);
    ASSERT_EQ(FileDialogs::TakeAskedDefaults().size(), 1);
    int files = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
      (void)item;
      ++files;
    }
    EXPECT_EQ(files, request_.last_year - request_.first_year + 1) << k.menu_id;
    for (int32_t year = request_.first_year; year <= request_.last_year; ++year) {
      const fs::path file =
          folder / PlanFileName(request_.park_name, year, PlanFormatForMenuId(k.menu_id)->format);
      ASSERT_EQ(file.extension(), k.extension);
      const std::optional<std::string> bytes = ReadWholeFile(file);
      ASSERT_TRUE(bytes.has_value()) << file;
      EXPECT_EQ(DetectImageFormat(*bytes), k.format) << file;
      const std::optional<RasterImage> image = DecodeImage(*bytes);
      ASSERT_TRUE(image.has_value()) << file;
      EXPECT_EQ(image->width(), kPlanWidth);
      EXPECT_EQ(image->height(), kPlanHeight);
      if (k.format == ImageFormat::kJpeg) jpeg_sizes[k.menu_id] += bytes->size();
    }
  }
  EXPECT_GT(jpeg_sizes[110], jpeg_sizes[100]) << "quality 100 against quality 0";
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());

  // Saving again replaces the files.
  Save(plan, 200, out_ / "200");
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  // A cancelled dialog writes nothing.
  FileDialogs::SetNextFileName(QString());
  plan->SaveAs(300);
  EXPECT_FALSE(plan->busy());
}

TEST_F(ParkPlanWindowTest, AnUnwritableTargetIsReportedInGerman) {
  ParkPlanWindow* plan = Open();
  ASSERT_NE(plan, nullptr);
  MessageBoxes::TakeRecorded();
  Save(plan, 200, out_ / "missing" / "folder");
  const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
  ASSERT_EQ(shown.size(), 1u);
  const QString first = QString::fromStdString(
      PlanFileName(request_.park_name, request_.first_year, PlanFormat::kPng));
  EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("Konnte Bild nicht speichern: ") + first))
      << shown[0].text.toStdString();
  const int years = request_.last_year - request_.first_year + 1;
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("0 von %1 Dateien").arg(years)));
  EXPECT_FALSE(fs::exists(out_ / "missing"));
}

// However a save ends early, the player learns how many files it wrote,
// and that number is the truth on disk.
TEST_F(ParkPlanWindowTest, ASaveStoppedEarlySaysHowManyFilesWereSaved) {
  ParkPlanWindow* plan = Open();
  ASSERT_NE(plan, nullptr);
  MessageBoxes::TakeRecorded();
  const int years = request_.last_year - request_.first_year + 1;
  const auto files_in = [](const fs::path& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
  };
  const auto start_save = [&](const fs::path& folder) {
    fs::create_directories(folder);
    FileDialogs::SetNextFileName(QString::fromStdString(folder.string()));
    plan->SaveAs(kPlanMenuBmp);
    return plan->wait_window() != nullptr;
  };
  const auto expect_honest = [&](const fs::path& folder) {
    const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
    if (shown.empty()) {  // it was done before the stop
      EXPECT_EQ(files_in(folder), years);
      return;
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Speichern abgebrochen: %1 von %2 Dateien wurden "
                                            "gespeichert.")
                                 .arg(files_in(folder))
                                 .arg(years));
  };

  ASSERT_TRUE(start_save(out_ / "cancelled"));
  EXPECT_EQ(plan->wait_window()->cancel()->text(), QStringLiteral("Abbrechen"));
  plan->wait_window()->cancel()->click();
  ASSERT_TRUE(WaitFor([&] { return !plan->busy(); }));
  expect_honest(out_ / "cancelled");
  EXPECT_TRUE(plan->isVisible());

  ASSERT_TRUE(start_save(out_ / "closed"));
  plan->close();
  ASSERT_TRUE(WaitFor([&] { return Find() == nullptr; }));
  expect_honest(out_ / "closed");
}

TEST_F(ParkPlanWindowTest, WithoutPictureIndexTheCanvasSaysWhy) {
  ASSERT_TRUE(fs::remove(folder_ / "Data" / "7" / kImageStoreFile));
  ParkPlanWindow* plan = Open();
  ASSERT_NE(plan, nullptr);
  EXPECT_EQ(plan->controls().plan->text(), FromCp1252(NoPlanText(request_)));
  EXPECT_TRUE(plan->controls().plan->text().contains(QStringLiteral("ImageStore.ini")));
  test::Screenshot(plan, "park_plan_window_without_index");
}

}  // namespace
}  // namespace wunt
