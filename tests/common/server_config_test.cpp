#include "common/server_config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/file_util.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

fs::path FreshFolder(const std::string& name) {
  const fs::path folder = fs::path(WUNT_BINARY_DIR) / "test-report" / "server" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

TEST(ServerConfig, MissingFileIsWrittenWithDefaults) {
  const fs::path folder = FreshFolder("missing");
  const ServerConfig config = LoadServerConfig(folder);
  EXPECT_EQ(config.update_host, kDefaultUpdateHost);
  EXPECT_EQ(config.update_port, 80);
  EXPECT_EQ(config.game_port, 80);
  EXPECT_EQ(config.game_address, std::string("http://") + kDefaultGameHost);
  EXPECT_EQ(ReadWholeFile(folder / "Server.ini").value_or(""),
            std::string("[Update]\r\nHost = ") + kDefaultUpdateHost +
                "\r\nPort = 80\r\n[Game]\r\nHost = " + kDefaultGameHost +
                "\r\nPort = 80\r\nAddress = http://" + kDefaultGameHost + "\r\n");
}

TEST(ServerConfig, ReadsWhatIsThereAndAddsWhatIsMissing) {
  struct Case {
    const char* file;
    const char* update_host;
    int32_t update_port;
    int32_t game_port;
    const char* address;
    std::vector<std::string> replaced;
  };
  const Case cases[] = {
      {"[game]\r\nhost = spiel.test\r\nport = 8080\r\n",
       kDefaultUpdateHost,
       80,
       8080,
       "http://spiel.test:8080",
       {}},
      {"[Game]\r\nAddress = https://spiel.test/\r\n[Update]\r\nHost = up.test\r\nPort = 0\r\n",
       "up.test",
       80,
       80,
       "https://spiel.test",
       {"[Update] Port = 0"}},
      {"[Update]\r\nPort = 65535\r\n[Game]\r\nPort = zehn\r\n",
       kDefaultUpdateHost,
       65535,
       80,
       "http://www.orvanto.example",
       {"[Game] Port = zehn"}},
      {"[Update]\r\nPort = 65536\r\n[Game]\r\nPort = -1\r\n",
       kDefaultUpdateHost,
       80,
       80,
       "http://www.orvanto.example",
       {"[Update] Port = 65536", "[Game] Port = -1"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const fs::path folder = FreshFolder("case" + std::to_string(n++));
    ASSERT_TRUE(WriteFileAtomically(folder / "Server.ini", c.file));
    const ServerConfig config = LoadServerConfig(folder);
    EXPECT_EQ(config.update_host, c.update_host);
    EXPECT_EQ(config.update_port, c.update_port);
    EXPECT_EQ(config.game_port, c.game_port);
    EXPECT_EQ(config.game_address, c.address);
    // Replaced ports are named, so the user hears of them once.
    EXPECT_EQ(config.replaced_ports, c.replaced);
    const std::string note = ServerConfigNote(config);
    EXPECT_EQ(note.empty(), c.replaced.empty());
    for (const std::string& r : c.replaced) EXPECT_NE(note.find(r), std::string::npos);
    // A second read finds every key in the file and changes nothing.
    const std::string after = ReadWholeFile(folder / "Server.ini").value_or("");
    EXPECT_NE(after.find("Address = "), std::string::npos);
    LoadServerConfig(folder);
    EXPECT_EQ(ReadWholeFile(folder / "Server.ini").value_or(""), after);
  }
}

TEST(ServerConfig, AFileThatCannotBeReadIsNamedAndLeftAlone) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
  };
  std::vector<Case> cases = {
      {"fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
      {"folder", [](const fs::path& p) { fs::create_directory(p); }},
  };
  // Root reads whatever the mode says.
  if (::geteuid() != 0) {
    cases.push_back({"write-only", [](const fs::path& p) {
                       ASSERT_TRUE(WriteFileAtomically(p, "[Update]\r\nHost = mein.test\r\n"));
                       fs::permissions(p, fs::perms::owner_write);
                     }});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path folder = FreshFolder(c.name);
    const fs::path file = folder / "Server.ini";
    c.make(file);
    const fs::file_status before = fs::symlink_status(file);
    const ServerConfig config = LoadServerConfig(folder);
    EXPECT_EQ(config.update_host, kDefaultUpdateHost);
    EXPECT_NE(config.unreadable.find("Server.ini"), std::string::npos);
    EXPECT_NE(ServerConfigNote(config).find(config.unreadable), std::string::npos);
    EXPECT_EQ(fs::symlink_status(file).type(), before.type());
    EXPECT_EQ(fs::symlink_status(file).permissions(), before.permissions());
    fs::permissions(file, fs::perms::owner_all);
  }
}

}  // namespace
}  // namespace wunt
