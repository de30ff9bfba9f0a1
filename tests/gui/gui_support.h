#pragma once
// Helpers for driving the Viewer's windows in tests: a program folder with
// a demo season, waiting on the event loop, pages and screenshots.

#include <QString>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

class QWebEngineView;

namespace wunt::test {

// <build>/test-gui/<name>/ with Data/<season>/ of a small demo season.
std::filesystem::path MakeProgramFolder(const std::string& name, int32_t season = 7);

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
