// The platform layer's own rules: gathered messages, the fatal-error
// report, the page generations' newest-wins order, the text and path
// bridges, the background job's ends and the child windows' lifetime.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "tests/support/gui/gui_support.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/background_job.h"
#include "viewer/platform/child_window.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/fault_handler.h"
#include "viewer/platform/gui_message_sink.h"
#include "viewer/platform/page_generator.h"

namespace wunt {
namespace {

TEST(Translations, QtsOwnTextsAreGerman) {
  // The standard buttons of file dialogs and questions ...
  QDialogButtonBox box(QDialogButtonBox::Save | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                       QDialogButtonBox::No);
  auto text = [&box](QDialogButtonBox::StandardButton which) {
    return box.button(which)->text().remove(QLatin1Char('&'));
  };
  EXPECT_EQ(text(QDialogButtonBox::Save), QStringLiteral("Speichern"));
  EXPECT_EQ(text(QDialogButtonBox::Cancel), QStringLiteral("Abbrechen"));
  EXPECT_EQ(text(QDialogButtonBox::Yes), QStringLiteral("Ja"));
  EXPECT_EQ(text(QDialogButtonBox::No), QStringLiteral("Nein"));
  // ... the file dialog itself, and the web view's context menu.
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"),
            QStringLiteral("Datei&name:"));
  EXPECT_NE(QCoreApplication::translate("RenderViewContextMenuQt", "Copy"), QStringLiteral("Copy"));
}

TEST(SaveFileType, OneCleanFilterAndTheExtensionOnlyForABareName) {
  const SaveFileType html{QStringLiteral("HTML-Seite"), {"htm", "html"}};
  EXPECT_EQ(html.Filter(), QStringLiteral("HTML-Seite (*.htm *.html)"));
  const std::pair<const char*, const char*> cases[] = {
      {"/tmp/bericht", "/tmp/bericht.htm"},
      {"/tmp/bericht.HTML", "/tmp/bericht.HTML"},
      {"/tmp/bericht.txt", "/tmp/bericht.txt"},  // the player's own choice
      {"/tmp/runde.8/bericht", "/tmp/runde.8/bericht.htm"},
      {"", ""},
  };
  for (const auto& [typed, saved] : cases) {
    EXPECT_EQ(WithDefaultExtension(QString::fromUtf8(typed), html), QString::fromUtf8(saved))
        << typed;
  }
}

TEST(GuiMessageSink, GathersEqualMessagesOfOneOperation) {
  MessageBoxes::StartRecording();
  GuiMessageSink sink;
  sink.ShowMessage("Variable Error", "Variable unbekannt!");
  {
    MessageBatch batch(sink);
    for (int i = 0; i < 2500; ++i) sink.ShowMessage("Variable Error", "Variable unbekannt!");
    {
      MessageBatch inner(sink);
      sink.ShowMessage("Dateifehler", "Fehler beim laden einer IDListe");
    }
    EXPECT_EQ(MessageBoxes::TakeRecorded().size(), 1u);  // only the one before the batch
  }
  const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
  MessageBoxes::StopRecording();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, QStringLiteral("Variable Error"));
  EXPECT_EQ(shown[0].text,
            QStringLiteral("Variable unbekannt!\n\n(Diese Meldung trat 2500-mal auf.)"));
  EXPECT_EQ(shown[1].text, QStringLiteral("Fehler beim laden einer IDListe"));
}

TEST(FatalReport, SixLinesSeparatedByCarriageReturns) {
  EXPECT_EQ(ComposeFatalReport("main_window.cpp", 123, "Viewer", "Access violation (SIGSEGV)"),
            "Modul: 'main_window.cpp'\rDLL: 'Viewer'\rZeile: 123\rFehlerbeschreibung:\r"
            "Access violation (SIGSEGV)\rProgrammausf\xfchrung abgebrochen!");
  EXPECT_EQ(ComposeFatalReport("", 77, "Viewer", "x"),
            "Modul: 'OnError line support disabled'\rDLL: 'Viewer'\rZeile: -1\r"
            "Fehlerbeschreibung:\rx\rProgrammausf\xfchrung abgebrochen!");
}

TEST(FatalReportDeathTest, AFaultEndsTheProgramWithCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallFaultHandler(false);
        RaiseTestFault("overview_window.cpp", 123);
      },
      testing::ExitedWithCode(0), "Modul: 'overview_window.cpp'\nDLL: 'test_gui'\nZeile: 123\n");
  EXPECT_EXIT(
      {
        InstallFaultHandler(false);
        RaiseTestFault(nullptr, 0);
      },
      testing::ExitedWithCode(0), "OnError line support disabled'\nDLL: 'test_gui'\nZeile: -1\n");
}

TEST(TextBridge, LinesBreakWithLfInQtAndWithCrLfInTheCore) {
  const struct {
    const char* core;  // Windows-1252
    const char* qt;    // UTF-8
    const char* back;  // what the core gets from the Qt text
  } cases[] = {
      {"", "", ""},
      {"eine Zeile", "eine Zeile", "eine Zeile"},
      {"Gr\xFC\xDF"
       "e\r\nZeile 2\r\n",
       "Grüße\nZeile 2\n",
       "Gr\xFC\xDF"
       "e\r\nZeile 2\r\n"},
      {"a\r\n\r\nb", "a\n\nb", "a\r\n\r\nb"},
      // Message texts break with a lone CR; a field may give a lone LF.
      {"a\rb\nc", "a\nb\nc", "a\r\nb\r\nc"},
      {"a\n\rb", "a\n\nb", "a\r\n\r\nb"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FromCp1252Lines(c.core), QString::fromUtf8(c.qt)) << c.qt;
    EXPECT_EQ(ToCp1252Lines(QString::fromUtf8(c.qt)), c.back) << c.qt;
  }
}

TEST(PathBridge, AFileNamedInQtIsTheSameFileOnDisk) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const char* const names[] = {"plan.png",
                               "\xC3\x9C"
                               "bersicht 1999.htm",
                               "Gr\xC3\xBC\xC3\x9F"
                               "e/\xE2\x82\xAC.csv"};
  for (size_t i = 0; i < std::size(names); ++i) {
    const char* name = names[i];
    // A folder of its own, so that the file is the only one listed there.
    const QString file =
        QStringLiteral("%1/%2/%3").arg(folder.path()).arg(i).arg(QString::fromUtf8(name));
    const std::filesystem::path path = ToPath(file);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "x";
    EXPECT_TRUE(QFileInfo::exists(file)) << name;
    EXPECT_EQ(FromPath(path), file) << name;
    EXPECT_EQ(FromPath(std::filesystem::directory_iterator(path.parent_path())->path()), file)
        << name;
  }
}

TEST(PageGenerator, TheNewestRequestWins) {
  QObject context;
  std::vector<std::string> shown;
  std::mutex lock;
  std::condition_variable wake;
  bool release = false;
  std::atomic<int> ran{0};
  {
    PageGenerator generator(&context, [&](const std::optional<std::filesystem::path>& page) {
      shown.push_back(page ? page->string() : "none");
    });
    // The first generation holds the thread while three more arrive.
    generator.Request([&]() -> std::optional<std::filesystem::path> {
      std::unique_lock guard(lock);
      wake.wait(guard, [&] { return release; });
      ++ran;
      return "first";
    });
    test::Settle(std::chrono::milliseconds(50));
    for (const char* name : {"second", "third", "fourth"}) {
      generator.Request([&, name]() -> std::optional<std::filesystem::path> {
        ++ran;
        return std::string(name);
      });
    }
    EXPECT_TRUE(generator.busy());
    {
      std::lock_guard guard(lock);
      release = true;
    }
    wake.notify_all();
    ASSERT_TRUE(test::WaitFor([&] { return !generator.busy(); }));
    test::Settle(std::chrono::milliseconds(50));
  }
  // "first" was overtaken; "second" and "third" never ran.
  EXPECT_EQ(ran.load(), 2);
  EXPECT_EQ(shown, std::vector<std::string>{"fourth"});
}

// A finished job ends on the GUI thread with its thread joined; a stopped
// one sees its stop token and never ends there.
TEST(BackgroundJob, EndsOnTheGuiThreadUnlessStopped) {
  QObject context;
  BackgroundJob job(&context);
  for (const bool stop : {false, true}) {
    SCOPED_TRACE(stop ? "stopped" : "finished");
    std::atomic<bool> started{false};
    std::atomic<bool> saw_stop{false};
    bool ended = false;
    job.Start(
        [&](std::stop_token token) {
          started = true;
          while (stop && !token.stop_requested()) QThread::msleep(1);
          saw_stop = token.stop_requested();
        },
        [&] {
          EXPECT_EQ(QThread::currentThread(), context.thread());
          EXPECT_FALSE(job.running());
          ended = true;
        });
    EXPECT_TRUE(job.running());
    if (stop) {
      while (!started) QThread::msleep(1);
      job.Stop();
      EXPECT_TRUE(saw_stop);
      test::Settle(std::chrono::milliseconds(50));
      EXPECT_FALSE(ended);
    } else {
      EXPECT_TRUE(test::WaitFor([&] { return ended; }));
      EXPECT_FALSE(saw_stop);
    }
    EXPECT_FALSE(job.running());
  }
}

// A child window is usable under its disabled opener, goes once closed,
// and goes at the latest with its holder or the holder's next window.
TEST(ChildWindow, DeletedWhenClosedOrWithItsHolder) {
  QWidget opener;
  opener.setEnabled(false);
  QPointer<QWidget> closed;
  {
    ChildWindow<QWidget> holder;
    closed = holder.Open(new QWidget, &opener);
    EXPECT_TRUE(closed->isWindow());
    EXPECT_EQ(closed->parentWidget(), &opener);
    EXPECT_TRUE(closed->isEnabled());
    closed->show();
    closed->close();
    holder.Closed();
    EXPECT_FALSE(holder);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
  }
  QPointer<QWidget> open;
  QPointer<QWidget> lingering;
  {
    ChildWindow<QWidget> holder;
    lingering = holder.Open(new QWidget, &opener);
    lingering->close();
    holder.Closed();
    open = holder.Open(new QWidget, &opener);
    EXPECT_TRUE(lingering.isNull());
    open->show();
  }
  EXPECT_TRUE(open.isNull());
}

}  // namespace
}  // namespace wunt
