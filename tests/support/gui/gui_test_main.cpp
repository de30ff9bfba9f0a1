// The GUI tests' main: the offscreen platform and the application object,
// created once for all tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "viewer/platform/web_page.h"

int main(int argc, char** argv) {
  // Set here too, so that the program also runs by hand without a desktop.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  testing::InitGoogleTest(&argc, argv);
  wunt::RegisterAppSchemes();
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
