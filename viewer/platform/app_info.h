#pragma once
// Names and conversions every window shares: the title prefix, the program
// folder, and the passage between the core's Windows-1252 bytes and Qt's
// strings.

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace wunt {

inline constexpr char kAppTitle[] = "WUNT2.1 Viewer (V0.05 Alpa 3)";

// kAppTitle, or kAppTitle + " - " + name (name in Windows-1252).
QString WindowTitle(std::string_view name = {});

QString FromCp1252(std::string_view bytes);
std::string ToCp1252(const QString& text);

// The folder of the running executable; Data/ lies beneath it.
std::filesystem::path ProgramFolder();

}  // namespace wunt
