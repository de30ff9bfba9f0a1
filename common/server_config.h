#pragma once
// Server.ini beside the programs: where the update server and the game
// server are. The Viewer links entity names to the game server's pages; the
// updater downloads from both.
//
//   [Update]
//   Host = update.orvanto.example
//   Port = 80
//   [Game]
//   Host = www.orvanto.example
//   Port = 80
//   Address = http://www.orvanto.example
//
// Address is the base of every link into the game server: scheme and host,
// without a trailing slash. When it is missing it is "http://" + Host, plus
// ":" + Port unless the port is 80.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace wunt {

inline constexpr char kServerIniName[] = "Server.ini";
inline constexpr char kDefaultUpdateHost[] = "update.orvanto.example";
inline constexpr char kDefaultGameHost[] = "www.orvanto.example";
inline constexpr int32_t kDefaultServerPort = 80;

struct ServerConfig {
  std::string update_host = kDefaultUpdateHost;
  int32_t update_port = kDefaultServerPort;
  std::string game_host = kDefaultGameHost;
  int32_t game_port = kDefaultServerPort;
  std::string game_address;  // never ends with "/"
  // Port settings that were no port and read as 80, each as
  // "[Group] Port = text", for the user to be told once.
  std::vector<std::string> replaced_ports;
  // Set (German) when Server.ini is there but cannot be read: the defaults
  // are used and the file is left exactly as it is.
  std::string unreadable;
};

// "http://" + host, plus ":" + port unless it is 80.
std::string GameAddressFor(const std::string& host, int32_t port);

// Reads <program_folder>/Server.ini. Keys that are missing (all of them
// when the file is missing) take their defaults and are written back, so
// the user finds every setting in the file; a folder that cannot be written
// to only costs that. A file that is there but cannot be read (no read
// permission, a pipe, a folder) is never written: it may hold the user's
// hosts. Ports outside 1..65535 read as 80.
ServerConfig LoadServerConfig(const std::filesystem::path& program_folder);

// The German note for the Viewer on config.unreadable and
// config.replaced_ports; empty when the file was read and every port was one.
std::string ServerConfigNote(const ServerConfig& config);

}  // namespace wunt
