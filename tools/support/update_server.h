#pragma once
// Our local update and game server: serves one season folder over HTTP/1.1
// the way the updater expects it -- the year list, one archive per game year
// (entries compressed with our compressor, some stored plain, sent chunked)
// and the attraction pictures at their paths -- with faults that can be
// switched on per request kind for tests and demonstrations.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace wunt {

enum class ServerFaultKind {
  kRefuse,    // the connection is reset without an answer
  kDrop,      // the connection closes halfway through the body
  kCorrupt,   // one byte of the body is changed (for archives: inside an entry)
  kTruncate,  // a chunked body stops before its last chunk
  kStall,     // nothing is sent for a while, then the normal answer
  kSlow,      // the body trickles in small pieces
  kGarbage,   // bytes that are no HTTP answer at all
  kTrickle,   // the body comes one byte per trickle period, never falling silent
  kSilent,    // the connection is accepted and never answered
  kNotFound,  // an error page with status 404 instead of the answer
  kGone,      // the same with status 410
  kError,     // the same with status 500
  kHuge,      // pictures: one byte more than the picture limit, sent chunked;
              // archives: one byte more than a year's archive, announced
  kBomb,      // archives: three tiny entries that claim to expand to 1 GiB each
  kRepeat,    // year list: the first year over and over, repeat_bytes long
  kSwell,     // archives: three entries of 256 MiB each in a 256 KiB archive
  kCrawl,     // archives and pictures: filler up to the largest size the
              // updater accepts, at crawl_rate, just fast enough never to
              // fall below the updater's rate window
};

struct ServerFault {
  ServerFaultKind kind = ServerFaultKind::kDrop;
  // "list", "archive", "picture", "any", a game year, or a picture path.
  std::string target = "any";
  // How many matching requests it hits; 0: all of them.
  int32_t times = 0;
};

// "KIND[:TARGET[:TIMES]]", for example "drop:1991:2" or "garbage:list".
std::optional<ServerFault> ParseServerFault(std::string_view text);

struct ServedSeason {
  std::string season;
  std::vector<std::string> years;                         // ascending
  std::map<std::string, std::string> archives;            // year -> archive
  std::unordered_map<std::string, std::string> pictures;  // path -> bytes
};

// The game years of `season_folder` (four-digit folders with all three data
// files) as archives, and every picture its ImageStore.ini knows.
std::optional<ServedSeason> LoadServedSeason(const std::filesystem::path& season_folder,
                                             std::string* error);

// Park.ini, Company.ini and Attraction.ini as one archive; the entries
// named in `plain` (0 to 2) are stored without compression.
std::string BuildGameYearArchive(const std::string (&files)[3], const std::vector<int>& plain);

// An archive of three entries, each a few bytes that expand to `size` bytes.
std::string BuildBombArchive(uint32_t size);

// A bomb archive of entries expanding to `size` bytes each, padded after its
// entries to `archive_size` bytes, so that its size allows what it claims.
std::string BuildSwellArchive(uint32_t size, size_t archive_size);

// Gives a few pictures of a season the paths of the updater's fixed-size
// table, at sizes other than the table's (and one at its own size), by
// rewriting the data files and the index. Does nothing when the season
// already has such a path.
bool AddFixedSizePictures(const std::filesystem::path& season_folder, std::string* error);

// What one request asks for.
struct RoutedRequest {
  enum class Kind { kList, kArchive, kPicture, kNotFound } kind = Kind::kNotFound;
  std::string key;  // the season asked for, the game year or the picture path
};
RoutedRequest RouteRequest(const ServedSeason& season, std::string_view request_line);

struct UpdateServerOptions {
  std::vector<ServerFault> faults;
  int32_t stall_ms = 6000;
  int32_t trickle_ms = 10000;
  int64_t repeat_bytes = int64_t{100} << 20;
  // Bytes a second of a crawling body: just above what an archive earns
  // time with (16 KiB/s).
  int64_t crawl_rate = 17 << 10;
  size_t chunk_size = 4096;
  // Told every log line as it is made (on the server's thread).
  std::function<void(const std::string&)> on_request;
};

class UpdateServer {
 public:
  UpdateServer(ServedSeason season, UpdateServerOptions options);
  ~UpdateServer();
  UpdateServer(const UpdateServer&) = delete;
  UpdateServer& operator=(const UpdateServer&) = delete;

  // Listens on `address` (dotted IPv4); port 0 takes a free one.
  bool Start(const std::string& address, int port, std::string* error);
  void Stop();
  int port() const { return port_; }
  // Request lines served so far, each followed by " [fault]" when one hit.
  std::vector<std::string> log() const;

 private:
  void Serve();
  void Answer(int fd, const std::string& request_line);
  std::optional<ServerFaultKind> TakeFault(const RoutedRequest& request);
  bool Pause(int32_t ms) const;
  // Until the client closes its end or the server stops.
  void WaitForClose(int fd) const;

  ServedSeason season_;
  UpdateServerOptions options_;
  std::vector<int32_t> fault_hits_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> log_;
  std::thread thread_;
};

}  // namespace wunt
