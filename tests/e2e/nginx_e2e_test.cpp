// WUNT_Updater against a server no one here wrote: nginx serving a season
// as plain files, in both roles (update server and game server), on a free
// loopback port with everything it writes in a scratch folder. Skipped only
// where nginx cannot be found or started.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/demo/demo_season.h"
#include "common/file_util.h"
#include "common/season_layout.h"
#include "common/season_pictures.h"
#include "common/text.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"
#include "tools/support/update_server.h"
#include "updater/protocol.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using test::ChildProcess;

constexpr milliseconds kRunLimit(60000);

std::optional<fs::path> FindNginx() {
  std::vector<fs::path> candidates = {"/usr/sbin/nginx", "/usr/bin/nginx"};
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest = path;
    while (!rest.empty()) {
      size_t colon = rest.find(':');
      candidates.push_back(fs::path(std::string(rest.substr(0, colon))) / "nginx");
      rest = colon == rest.npos ? "" : rest.substr(colon + 1);
    }
  }
  for (const fs::path& candidate : candidates) {
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// A port that was free a moment ago.
int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof local;
  int port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
    port = ntohs(local.sin_port);
  }
  if (fd >= 0) close(fd);
  return port;
}

bool Accepts(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(port));
  peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0;
  if (fd >= 0) close(fd);
  return ok;
}

// nginx in the foreground as one process, so that it runs as whoever runs
// the test and ends with it; pid file, logs and temporary files stay in
// `scratch`.
class Nginx {
 public:
  ~Nginx() { process_.Terminate(); }

  // `year_list` is the body of the year list's location block. Empty when
  // started; otherwise why not.
  std::string Start(const fs::path& nginx, const fs::path& scratch, const fs::path& root,
                    const std::string& year_list) {
    scratch_ = scratch;
    fs::create_directories(scratch);
    std::string why = "no free port";
    for (int attempt = 0; attempt < 3; ++attempt) {
      port_ = FreePort();
      if (port_ == 0) continue;
      const std::string s = scratch.string();
      const std::string config =
          "daemon off;\nmaster_process off;\nworker_processes 1;\n"
          "pid " +
          s + "/nginx.pid;\nerror_log " + s +
          "/error.log;\n"
          "events { worker_connections 64; }\nhttp {\n"
          "  access_log " +
          s +
          "/access.log;\n"
          "  client_body_temp_path " +
          s +
          "/body;\n"
          "  proxy_temp_path " +
          s +
          "/proxy;\n"
          "  fastcgi_temp_path " +
          s +
          "/fastcgi;\n"
          "  uwsgi_temp_path " +
          s +
          "/uwsgi;\n"
          "  scgi_temp_path " +
          s +
          "/scgi;\n"
          "  default_type application/octet-stream;\n"
          "  server {\n"
          "    listen 127.0.0.1:" +
          std::to_string(port_) +
          ";\n"
          "    root " +
          root.string() +
          ";\n"
          "    location = /WUNT2_Get.php { " +
          year_list +
          " }\n"
          "  }\n}\n";
      if (!WriteFileAtomically(scratch / "nginx.conf", config)) return "cannot write the config";
      if (!process_.Start(
              {nginx.string(), "-p", s, "-c", s + "/nginx.conf", "-e", s + "/error.log"})) {
        return "cannot start " + nginx.string();
      }
      for (int wait = 0; wait < 100; ++wait) {
        if (Accepts(port_)) return "";
        if (process_.Wait(milliseconds(100)).has_value()) break;
      }
      process_.Terminate();
      why = "nginx did not start: " + ReadWholeFile(scratch / "error.log").value_or("");
    }
    return why;
  }

  int port() const { return port_; }

  // The request lines nginx has logged so far.
  std::vector<std::string> Requests() const {
    std::vector<std::string> requests;
    std::string log = ReadWholeFile(scratch_ / "access.log").value_or("");
    for (size_t at = log.find("\"GET "); at != log.npos; at = log.find("\"GET ", at + 1)) {
      requests.push_back(log.substr(at + 1, log.find('"', at + 1) - at - 1));
    }
    return requests;
  }

 private:
  ChildProcess process_;
  fs::path scratch_;
  int port_ = 0;
};

class NginxEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::optional<fs::path> nginx = FindNginx();
    if (!nginx) GTEST_SKIP() << "nginx not found (Debian package nginx-light)";
    nginx_path_ = *nginx;
    // The served season: our demo season laid out as the updater's requests
    // name it, one file per answer.
    DemoSeasonOptions options;
    options.years = 3;
    options.parks = 30;
    std::string error;
    ASSERT_TRUE(WriteDemoSeason(scratch_ / "source", options, nullptr, &error)) << error;
    std::optional<ServedSeason> served = LoadServedSeason(SourceSeason(), &error);
    ASSERT_TRUE(served.has_value()) << error;
    served_ = std::move(*served);
    std::string list;
    fs::create_directories(Root() / "WUNT2_7");
    for (const std::string& year : served_.years) {
      list += year;
      ASSERT_TRUE(WriteFileAtomically(Root() / "WUNT2_7" / year, served_.archives[year]));
    }
    ASSERT_TRUE(WriteFileAtomically(Root() / "WUNT2_Get.php", list + "\r\n"));
    ASSERT_FALSE(served_.pictures.empty());
    missing_ = served_.pictures.begin()->first;
    for (const auto& [path, bytes] : served_.pictures) {
      if (path == missing_) continue;
      fs::create_directories((Root() / path).parent_path());
      ASSERT_TRUE(WriteFileAtomically(Root() / path, bytes));
    }
    // An empty portable program folder: the programs, where the servers
    // are, and an empty Data/ (without it the data would go to the home).
    fs::create_directories(Program() / "Data");
    fs::copy_file(WUNT_UPDATER_PATH, Program() / "WUNT_Updater");
  }

  void StartNginx(const std::string& year_list) {
    std::string why = nginx_.Start(nginx_path_, scratch_ / "nginx", Root(), year_list);
    if (!why.empty()) GTEST_SKIP() << why;
    const std::string port = std::to_string(nginx_.port());
    ASSERT_TRUE(WriteFileAtomically(
        Program() / "Server.ini", "[Update]\r\nHost = 127.0.0.1\r\nPort = " + port +
                                      "\r\n[Game]\r\nHost = 127.0.0.1\r\nPort = " + port + "\r\n"));
  }

  std::vector<std::string> RunUpdater() {
    ChildProcess updater;
    EXPECT_TRUE(updater.Start({(Program() / "WUNT_Updater").string(), "-t 1 -r 7 Image Data"}));
    updater.CloseInput();
    std::vector<std::string> lines;
    // The ticker's lines say nothing here.
    for (std::string& line : updater.ReadRemainingLines(kRunLimit)) {
      if (line.rfind("Progress ", 0) != 0) lines.push_back(std::move(line));
    }
    EXPECT_EQ(updater.Wait(milliseconds(10000)), std::optional<int>(0));
    return lines;
  }

  // The same export from both seasons.
  std::optional<std::string> Export(const fs::path& data, const std::string& name) {
    const fs::path out = scratch_ / name;
    ChildProcess run;
    EXPECT_TRUE(
        run.Start({WUNT_EXPORT_PATH, "--data", data.string(), "--season", "7", "--content", "wert",
                   "--calc", "1", "--from", served_.years.front(), "--to", served_.years.back(),
                   "--source", "parks", "--all", "--csv", "--out", out.string()}));
    run.CloseInput();
    EXPECT_EQ(run.Wait(kRunLimit), std::optional<int>(0));
    return ReadWholeFile(out);
  }

  fs::path Root() const { return scratch_ / "root"; }
  fs::path SourceSeason() const { return scratch_ / "source" / "7"; }
  fs::path Program() const { return scratch_ / "program"; }
  fs::path LocalSeason() const { return Program() / "Data" / "7"; }

  test::ScratchFolder scratch_;
  fs::path nginx_path_;
  Nginx nginx_;
  ServedSeason served_;
  std::string missing_;  // the picture nginx answers with its own 404
};

// From an empty program folder to a table: the updater makes the season
// with its own files, settles the picture nginx does not have, a second run
// asks nothing more, and wunt-export reads the new season as it reads the
// served one.
TEST_F(NginxEndToEnd, FirstSeasonFromAnEmptyFolder) {
  StartNginx("default_type text/plain;");
  if (IsSkipped() || HasFatalFailure()) return;
  std::string ready = "Ready";
  for (const std::string& year : served_.years) ready += " " + year;
  for (const std::string& year : served_.years) ready += "|" + year;
  EXPECT_EQ(RunUpdater(),
            (std::vector<std::string>{"Step 1", "Step 2", "Step 3", ready, kClosingLine}));
  for (const std::string& year : served_.years) {
    for (const char* file : kGameYearFileNames) {
      EXPECT_EQ(ReadWholeFile(LocalSeason() / year / file),
                ReadWholeFile(SourceSeason() / year / file))
          << year << "/" << file;
    }
  }
  SettledPictures settled;
  settled.Load(LocalSeason());
  EXPECT_EQ(settled.size(), 1u);
  EXPECT_TRUE(settled.Contains(missing_));

  const size_t asked_before = nginx_.Requests().size();
  EXPECT_EQ(RunUpdater(),
            (std::vector<std::string>{"Step 1", "Step 2", "Step 3", "Ready", kClosingLine}));
  const std::vector<std::string> requests = nginx_.Requests();
  ASSERT_EQ(requests.size(), asked_before + 1);
  EXPECT_EQ(requests.back(), "GET /WUNT2_Get.php?round=7 HTTP/1.1");

  std::optional<std::string> served_table = Export(scratch_ / "source", "served.csv");
  std::optional<std::string> local_table = Export(Program() / "Data", "local.csv");
  ASSERT_TRUE(served_table.has_value());
  EXPECT_GT(served_table->size(), 100u);
  EXPECT_EQ(local_table, served_table);
}

TEST_F(NginxEndToEnd, AYearListAnsweredWith500IsAnError) {
  StartNginx("return 500;");
  if (IsSkipped() || HasFatalFailure()) return;
  EXPECT_EQ(RunUpdater(),
            (std::vector<std::string>{"Step 1", YearListStatusLine(500), kClosingLine}));
  EXPECT_TRUE(ListGameYears(LocalSeason()).empty());
}

}  // namespace
}  // namespace wunt
