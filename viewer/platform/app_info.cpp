#include "viewer/platform/app_info.h"

#include "common/text.h"

namespace wunt {

QString WindowTitle(std::string_view name) {
  QString title = QString::fromLatin1(kAppTitle);
  if (!name.empty()) title += QStringLiteral(" - ") + FromCp1252(name);
  return title;
}

QString FromCp1252(std::string_view bytes) { return QString::fromStdString(Cp1252ToUtf8(bytes)); }

std::string ToCp1252(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return self.parent_path();
}

}  // namespace wunt
