#include "viewer/platform/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <mutex>
#include <optional>

namespace wunt {
namespace {

// The scripting state is process-wide like the boxes themselves; the lock
// keeps a box raised from a worker's queued call from racing a test.
struct Script {
  std::mutex lock;
  bool record_boxes = false;
  std::vector<ShownMessage> boxes;
  std::vector<Answer> answers;
  bool script_files = false;
  std::vector<QString> next_files;
  QStringList asked_defaults;
  bool record_urls = false;
  bool urls_open = true;
  std::vector<QUrl> urls;
};

Script& State() {
  static Script script;
  return script;
}

}  // namespace

void MessageBoxes::Show(QWidget* parent, const QString& title, const QString& text,
                        MessageIcon icon) {
  {
    Script& s = State();
    std::lock_guard guard(s.lock);
    if (s.record_boxes) {
      s.boxes.push_back({title, text, icon});
      return;
    }
  }
  const QMessageBox::Icon shown = icon == MessageIcon::kError         ? QMessageBox::Critical
                                  : icon == MessageIcon::kInformation ? QMessageBox::Information
                                                                      : QMessageBox::NoIcon;
  QMessageBox box(shown, title, text, QMessageBox::Ok, parent);
  box.exec();
}

Answer MessageBoxes::Ask(QWidget* parent, const QString& title, const QString& text,
                         bool with_cancel) {
  const Answer cautious = with_cancel ? Answer::kCancel : Answer::kNo;
  {
    Script& s = State();
    std::lock_guard guard(s.lock);
    if (s.record_boxes) {
      s.boxes.push_back({title, text, MessageIcon::kQuestion});
      if (s.answers.empty()) return cautious;
      const Answer answer = s.answers.front();
      s.answers.erase(s.answers.begin());
      return answer;
    }
  }
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
  QPushButton* cancel =
      with_cancel ? box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole) : nullptr;
  box.setDefaultButton(yes);
  box.setEscapeButton(with_cancel ? cancel : no);
  box.exec();
  if (box.clickedButton() == yes) return Answer::kYes;
  if (box.clickedButton() == no) return Answer::kNo;
  return cautious;
}

void MessageBoxes::SetNextAnswer(Answer answer) {
  std::lock_guard guard(State().lock);
  State().answers.push_back(answer);
}

void MessageBoxes::StartRecording() {
  std::lock_guard guard(State().lock);
  State().record_boxes = true;
  State().boxes.clear();
  State().answers.clear();
}

void MessageBoxes::StopRecording() {
  std::lock_guard guard(State().lock);
  State().record_boxes = false;
}

std::vector<ShownMessage> MessageBoxes::TakeRecorded() {
  std::lock_guard guard(State().lock);
  return std::exchange(State().boxes, {});
}

namespace {

// The scripted answer to a file or folder dialog, when scripting is on.
std::optional<QString> ScriptedAnswer(const QString& default_name) {
  Script& s = State();
  std::lock_guard guard(s.lock);
  if (!s.script_files) return std::nullopt;
  s.asked_defaults.push_back(default_name);
  if (s.next_files.empty()) return QString();
  QString name = s.next_files.front();
  s.next_files.erase(s.next_files.begin());
  return name;
}

}  // namespace

QString SaveFileType::Filter() const {
  QStringList patterns;
  for (const QString& extension : extensions) patterns << QStringLiteral("*.") + extension;
  return QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
}

QString WithDefaultExtension(const QString& name, const SaveFileType& type) {
  if (name.isEmpty() || type.extensions.isEmpty()) return name;
  const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
  if (name.indexOf(QLatin1Char('.'), slash + 1) >= 0) return name;
  return name + QLatin1Char('.') + type.extensions.front();
}

QString FileDialogs::SaveFileName(QWidget* parent, const QString& title,
                                  const QString& default_name, const SaveFileType& type) {
  if (std::optional<QString> answer = ScriptedAnswer(default_name)) {
    return WithDefaultExtension(*answer, type);
  }
  // Qt's own dialog; it appends the extension itself by the same rule, so
  // that it asks before replacing the file that is really meant.
  QFileDialog dialog(parent, title, default_name, type.Filter());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(type.extensions.value(0));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return WithDefaultExtension(dialog.selectedFiles().front(), type);
}

QString FileDialogs::ExistingFolder(QWidget* parent, const QString& title, const QString& start) {
  if (std::optional<QString> answer = ScriptedAnswer(start)) return *answer;
  return QFileDialog::getExistingDirectory(
      parent, title, start, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

void FileDialogs::StartScripting() {
  std::lock_guard guard(State().lock);
  State().script_files = true;
  State().next_files.clear();
  State().asked_defaults.clear();
}

void FileDialogs::StopScripting() {
  std::lock_guard guard(State().lock);
  State().script_files = false;
}

void FileDialogs::SetNextFileName(const QString& name) {
  std::lock_guard guard(State().lock);
  State().next_files.push_back(name);
}

QStringList FileDialogs::TakeAskedDefaults() {
  std::lock_guard guard(State().lock);
  return std::exchange(State().asked_defaults, {});
}

bool SystemBrowser::Open(const QUrl& url) {
  {
    Script& s = State();
    std::lock_guard guard(s.lock);
    if (s.record_urls) {
      s.urls.push_back(url);
      return s.urls_open;
    }
  }
  return QDesktopServices::openUrl(url);
}

void SystemBrowser::StartRecording(bool opens) {
  std::lock_guard guard(State().lock);
  State().record_urls = true;
  State().urls_open = opens;
  State().urls.clear();
}

void SystemBrowser::StopRecording() {
  std::lock_guard guard(State().lock);
  State().record_urls = false;
}

std::vector<QUrl> SystemBrowser::TakeOpened() {
  std::lock_guard guard(State().lock);
  return std::exchange(State().urls, {});
}

}  // namespace wunt
