#pragma once
// Helpers for driving the Viewer's windows in tests: waiting on the event
// loop, pages, screenshots, and readable failures for Qt strings.

#include <QString>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "tests/support/scratch_folder.h"

class QWebEngineView;

// GoogleTest prints QStrings as text in failed assertions.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace wunt::test {

// While it lives, message boxes and opened addresses are recorded instead of
// shown, and save dialogs answer from their script (cancel when unscripted),
// so no test waits on a modal window or starts a browser.
class ScriptedDialogs {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs();
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;
};

// Runs the event loop until `done` holds; false on timeout.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::seconds(30));
// Runs the event loop for a while.
void Settle(std::chrono::milliseconds time = std::chrono::milliseconds(300));

// Saves widget->grab() as <build>/artifacts/gui/<name>.png.
void Screenshot(QWidget* widget, const std::string& name);

// The page's current DOM as HTML.
QString PageHtml(QWebEngineView* view);
// Runs `script` in the program's own script world and waits for it.
void RunScript(QWebEngineView* view, const QString& script);
// Clicks the element `selector` like a user would.
void Click(QWebEngineView* view, const QString& selector);

}  // namespace wunt::test
