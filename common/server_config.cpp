#include "common/server_config.h"

#include <cstdlib>
#include <system_error>
#include <utility>

#include "common/ini_file.h"

namespace wunt {
namespace {

// Reads one key, writing `fallback` into the file when the key is absent.
std::string ReadOrAdd(IniFile& ini, const char* group, const char* key,
                      const std::string& fallback) {
  ini.SelectGroup(group);
  constexpr char kAbsent[] = "\x01";
  std::string value = ini.ReadString(key, kAbsent);
  if (value == kAbsent) {
    ini.WriteString(key, fallback);
    return fallback;
  }
  return value;
}

int32_t PortOf(const char* group, const std::string& text, ServerConfig& config) {
  char* end = nullptr;
  const long port = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || port < 1 || port > 65535) {
    std::string setting(1, '[');
    setting.append(group).append("] Port = ").append(text);
    config.replaced_ports.push_back(std::move(setting));
    return kDefaultServerPort;
  }
  return static_cast<int32_t>(port);
}

}  // namespace

std::string GameAddressFor(const std::string& host, int32_t port) {
  std::string address = "http://" + host;
  if (port != kDefaultServerPort) {
    address += ':';
    address += std::to_string(port);
  }
  return address;
}

ServerConfig LoadServerConfig(const std::filesystem::path& program_folder) {
  ServerConfig config;
  IniFile ini;
  const std::filesystem::path file = program_folder / kServerIniName;
  std::error_code error;
  const auto type = std::filesystem::symlink_status(file, error).type();
  if (!ini.OpenIni(file) && type != std::filesystem::file_type::not_found) {
    // Read in memory only, so the defaults never replace what is there.
    ini.OpenIniFromBytes({});
    config.unreadable = std::string(kServerIniName) +
                        (type == std::filesystem::file_type::regular
                             ? " kann nicht gelesen werden (keine Leserechte?)"
                             : " ist keine gew\xf6hnliche Datei") +
                        "; die Datei bleibt unver\xe4ndert, es gelten die Standardserver " +
                        kDefaultUpdateHost + " und " + kDefaultGameHost + ".";
  }
  const std::string default_port = std::to_string(kDefaultServerPort);
  config.update_host = ReadOrAdd(ini, "Update", "Host", kDefaultUpdateHost);
  config.update_port = PortOf("Update", ReadOrAdd(ini, "Update", "Port", default_port), config);
  config.game_host = ReadOrAdd(ini, "Game", "Host", kDefaultGameHost);
  config.game_port = PortOf("Game", ReadOrAdd(ini, "Game", "Port", default_port), config);
  config.game_address =
      ReadOrAdd(ini, "Game", "Address", GameAddressFor(config.game_host, config.game_port));
  while (!config.game_address.empty() && config.game_address.back() == '/') {
    config.game_address.pop_back();
  }
  ini.CloseIni();
  return config;
}

std::string ServerConfigNote(const ServerConfig& config) {
  std::string note = config.unreadable;
  if (!note.empty()) note += "\r\n";
  for (const std::string& setting : config.replaced_ports) {
    note.append(kServerIniName).append(": \"").append(setting);
    note.append("\" ist kein Port von 1 bis 65535; es wird Port 80 verwendet.\r\n");
  }
  return note;
}

}  // namespace wunt
