#include "tests/support/gui/gui_support.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "viewer/platform/dialogs.h"

namespace wunt::test {

namespace fs = std::filesystem;

ScriptedDialogs::ScriptedDialogs() {
  MessageBoxes::StartRecording();
  FileDialogs::StartScripting();
  SystemBrowser::StartRecording();
}

ScriptedDialogs::~ScriptedDialogs() {
  MessageBoxes::StopRecording();
  FileDialogs::StopScripting();
  SystemBrowser::StopRecording();
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  // The loop waits for events as the program's own does, so the engine,
  // whose requests are answered on this thread, never waits for a sleep;
  // the timer wakes it to look again.
  QTimer look_again;
  look_again.start(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

void Settle(std::chrono::milliseconds time) {
  WaitFor([] { return false; }, time);
}

void Screenshot(QWidget* widget, const std::string& name) {
  const fs::path folder = fs::path(WUNT_BINARY_DIR) / "artifacts" / "gui";
  fs::create_directories(folder);
  widget->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

QString PageHtml(QWebEngineView* view) {
  QString html;
  bool done = false;
  view->page()->toHtml([&](const QString& text) {
    html = text;
    done = true;
  });
  EXPECT_TRUE(WaitFor([&] { return done; }));
  return html;
}

void RunScript(QWebEngineView* view, const QString& script) {
  bool done = false;
  view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                              [&](const QVariant&) { done = true; });
  EXPECT_TRUE(WaitFor([&] { return done; }));
}

void Click(QWebEngineView* view, const QString& selector) {
  RunScript(view, QStringLiteral("document.querySelector('%1').click();").arg(selector));
}

}  // namespace wunt::test
