#pragma once
// Names and conversions every window shares: the title prefix, the program
// folder, and the passages between the core's Windows-1252 bytes and Qt's
// strings and between Qt's strings and file-system paths.

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

// Multi-line texts: the core breaks lines with CR LF (message texts with a
// lone CR), Qt's fields and labels break them with LF. Every break becomes
// the other side's, so a text that goes to a field and back keeps its lines.
QString FromCp1252Lines(std::string_view bytes);
std::string ToCp1252Lines(const QString& text);

// File names as Qt holds them and as the file system takes them: through
// the local 8-bit file-name encoding, so that a name with umlauts names the
// same file both ways.
std::filesystem::path ToPath(const QString& file);
QString FromPath(const std::filesystem::path& path);

// The folder of the running executable.
std::filesystem::path ProgramFolder();

// Where Data/ and Server.ini lie: beside the programs in a portable folder,
// in the player's home when installed (common/data_root.h).
std::filesystem::path ViewerDataRoot();

// Where the updater program lies. The Viewer sets its own folder at start;
// until then (in the tests) the updater lies in the folder it runs in.
void SetUpdaterFolder(std::filesystem::path folder);
std::filesystem::path UpdaterFolder(const std::filesystem::path& working_folder);

}  // namespace wunt
