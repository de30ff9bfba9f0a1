#include "viewer/platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace wunt {

bool InstallGermanTranslations(QCoreApplication& app) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  bool all = true;
  for (const char* catalogue : {"qtbase_de", "qtwebengine_de"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QString::fromLatin1(catalogue), folder)) {
      app.installTranslator(translator);
    } else {
      delete translator;
      all = false;
    }
  }
  return all;
}

}  // namespace wunt
