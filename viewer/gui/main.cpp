// The Viewer: start-up, the main window's event loop, shut-down.
#include <QApplication>

#include "viewer/platform/app_info.h"
#include "viewer/platform/fault_handler.h"
#include "viewer/platform/translations.h"
#include "viewer/platform/web_page.h"
#include "viewer/wizard/gui/main_window.h"

int main(int argc, char** argv) {
  if (wunt::ShowPendingFatalReport(argc, argv)) return 0;
  wunt::InstallFaultHandler();
  wunt::RegisterAppSchemes();
  QApplication app(argc, argv);
  wunt::InstallGermanTranslations(app);
  // Closing a result window, while the main window is hidden, must not end
  // the program; only the main window's close does.
  app.setQuitOnLastWindowClosed(false);
  wunt::MainWindow window(wunt::ProgramFolder());
  window.set_on_closed([&app] { app.quit(); });
  window.show();
  app.exec();
  return 0;
}
