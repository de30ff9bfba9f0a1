#pragma once
// Thin wrappers around the modal pieces of the platform: message boxes, the
// save-file dialog and the system browser. A test scripts them in advance
// (the next file name, a log of boxes and opened addresses), so that no
// test ever waits on a modal window or starts a real browser.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <vector>

class QWidget;

namespace wunt {

enum class MessageIcon { kNone, kInformation, kError, kQuestion };

enum class Answer { kYes, kNo, kCancel };

struct ShownMessage {
  QString title;
  QString text;
  MessageIcon icon = MessageIcon::kNone;
};

class MessageBoxes {
 public:
  // A modal box with an OK button.
  static void Show(QWidget* parent, const QString& title, const QString& text,
                   MessageIcon icon = MessageIcon::kNone);

  // A modal question with "Ja" and "Nein", and "Abbrechen" when
  // `with_cancel`; closing the box counts as the most cautious answer.
  static Answer Ask(QWidget* parent, const QString& title, const QString& text, bool with_cancel);

  // From now on boxes are recorded instead of shown (questions with the
  // icon kQuestion). A recorded question takes the next scripted answer;
  // unscripted, it answers as a closed box would.
  static void StartRecording();
  static void StopRecording();
  static std::vector<ShownMessage> TakeRecorded();
  static void SetNextAnswer(Answer answer);
};

// The one kind of file a save dialog offers: its name and its extensions
// without the dot, the first being the one a bare name gets.
struct SaveFileType {
  QString name;
  QStringList extensions;
  // "HTML-Seite (*.htm *.html)"
  QString Filter() const;
};

// `name` with the type's first extension appended when its file name has
// none at all (no dot); a name with an extension of its own is the
// player's choice. An empty name (a cancel) stays empty.
QString WithDefaultExtension(const QString& name, const SaveFileType& type);

class FileDialogs {
 public:
  // The chosen file, given the type's first extension when typed without
  // one, or an empty string when the user cancels.
  static QString SaveFileName(QWidget* parent, const QString& title, const QString& default_name,
                              const SaveFileType& type);

  // The chosen folder, or an empty string when the user cancels.
  static QString ExistingFolder(QWidget* parent, const QString& title, const QString& start);

  // The next SaveFileName or ExistingFolder returns `name` without showing
  // a dialog (SaveFileName as typed into it); an empty name answers as a
  // cancel. While scripting is on, an unscripted call cancels.
  static void StartScripting();
  static void StopScripting();
  static void SetNextFileName(const QString& name);
  // The default names (or start folders) the dialogs were opened with.
  static QStringList TakeAskedDefaults();
};

class SystemBrowser {
 public:
  // False when no browser could be started for `url`.
  static bool Open(const QUrl& url);

  // From now on addresses are recorded instead of opened, and Open answers
  // `opens`: a test can play a desktop without a browser.
  static void StartRecording(bool opens = true);
  static void StopRecording();
  static std::vector<QUrl> TakeOpened();
};

}  // namespace wunt
