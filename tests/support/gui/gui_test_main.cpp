// The GUI tests' main: the offscreen platform and the application object,
// created once for all tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <cstdlib>

#include "viewer/platform/translations.h"
#include "viewer/platform/web_page.h"

int main(int argc, char** argv) {
  // Set here too, so that the program also runs by hand without a desktop.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  testing::InitGoogleTest(&argc, argv);
  wunt::RegisterAppSchemes();
  QApplication app(argc, argv);
  wunt::InstallGermanTranslations(app);
  // A desktop with a bigger font than the default, for the fit tests.
  if (const char* points = std::getenv("WUNT_TEST_FONT_POINTS")) {
    QFont font = QApplication::font();
    font.setPointSize(std::atoi(points));
    QApplication::setFont(font);
  }
  app.setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
