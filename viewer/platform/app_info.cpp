#include "viewer/platform/app_info.h"

#include <QFile>
#include <utility>

#include "common/data_root.h"
#include "common/text.h"

namespace wunt {
namespace {

std::filesystem::path g_updater_folder;

// Every CR LF, lone CR and LF of `text` becomes `line_break`.
QString WithLineBreaks(QString text, const QString& line_break) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (line_break != QStringLiteral("\n")) text.replace(QLatin1Char('\n'), line_break);
  return text;
}

}  // namespace

QString WindowTitle(std::string_view name) {
  QString title = QString::fromLatin1(kAppTitle);
  if (!name.empty()) title += QStringLiteral(" - ") + FromCp1252(name);
  return title;
}

QString FromCp1252(std::string_view bytes) { return QString::fromStdString(Cp1252ToUtf8(bytes)); }

std::string ToCp1252(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

QString FromCp1252Lines(std::string_view bytes) {
  return WithLineBreaks(FromCp1252(bytes), QStringLiteral("\n"));
}

std::string ToCp1252Lines(const QString& text) {
  return ToCp1252(WithLineBreaks(text, QStringLiteral("\r\n")));
}

std::filesystem::path ToPath(const QString& file) {
  return std::filesystem::path(QFile::encodeName(file).toStdString());
}

QString FromPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return self.parent_path();
}

std::filesystem::path ViewerDataRoot() { return DataRoot(ProgramFolder()); }

void SetUpdaterFolder(std::filesystem::path folder) { g_updater_folder = std::move(folder); }

std::filesystem::path UpdaterFolder(const std::filesystem::path& working_folder) {
  return g_updater_folder.empty() ? working_folder : g_updater_folder;
}

}  // namespace wunt
