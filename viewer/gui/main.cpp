// The Viewer: start-up, the main window's event loop, shut-down.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "viewer/platform/app_info.h"
#include "viewer/platform/fault_handler.h"
#include "viewer/platform/translations.h"
#include "viewer/platform/web_page.h"
#include "viewer/wizard/gui/main_window.h"

namespace {

// Set by the package checks: the Viewer shows its main window, says where
// its data lives and ends, so an installed copy can be tried headless.
constexpr char kSelfCheckVariable[] = "WUNT_VIEWER_SELF_CHECK";

}  // namespace

int main(int argc, char** argv) {
  if (wunt::ShowPendingFatalReport(argc, argv)) return 0;
  wunt::InstallFaultHandler();
  wunt::RegisterAppSchemes();
  QApplication app(argc, argv);
  // The menu entry's name, so that a desktop shows its icon for our windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.wunt.Viewer"));
  wunt::InstallGermanTranslations(app);
  // Closing a result window, while the main window is hidden, must not end
  // the program; only the main window's close does.
  app.setQuitOnLastWindowClosed(false);
  // Data/ and Server.ini lie beside the programs in a portable folder and in
  // the player's home when installed; the updater always lies beside us.
  const std::filesystem::path data_root = wunt::ViewerDataRoot();
  wunt::SetUpdaterFolder(wunt::ProgramFolder());
  wunt::MainWindow window(data_root);
  window.set_on_closed([&app] { app.quit(); });
  window.show();
  if (std::getenv(kSelfCheckVariable) != nullptr) {
    QTimer::singleShot(0, &app, [&] {
      std::printf("main window %s: %s\ndata root: %s\n", window.isVisible() ? "shown" : "hidden",
                  window.windowTitle().toUtf8().constData(), data_root.c_str());
      std::fflush(stdout);
      app.exit(window.isVisible() ? 0 : 1);
    });
  }
  return app.exec() == 0 ? 0 : 1;
}
