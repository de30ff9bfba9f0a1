#include "tools/support/update_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/season_pictures.h"
#include "common/text.h"
#include "tools/support/jcalg1_compressor.h"
#include "updater/game_year_archive.h"
#include "updater/image_store.h"

namespace wunt {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxRequest = 16384;
constexpr int kRequestMs = 5000;
constexpr size_t kSlowPiece = 1024;
constexpr int kSlowPauseMs = 10;
// Answered at once; more wait for their turn.
constexpr size_t kMaxConnections = 16;
constexpr size_t kGarbageSize = 1500;

bool IsYearName(const std::string& name) {
  return name.size() == 4 &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void AppendLe32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t LoadLe32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  }
  return value;
}

// Where a changed byte is sure to break the archive: inside the first
// compressed entry's stream, whose checksum then fails.
size_t CorruptionPoint(std::string_view archive) {
  size_t at = 0;
  while (archive.size() - at >= 8) {
    uint32_t plain = LoadLe32(archive, at);
    uint32_t stored = LoadLe32(archive, at + 4);
    if (stored > archive.size() - at - 8) break;
    if (plain != stored && stored > 16) return at + 8 + stored / 2;
    at += 8 + stored;
  }
  return archive.size() / 2;
}

std::string Header(std::string_view status, std::string_view type, std::string_view framing) {
  std::string header = "HTTP/1.1 ";
  header += status;
  header += "\r\nServer: wunt-update-server\r\nContent-Type: ";
  header += type;
  header += "\r\n";
  header += framing;
  header += "Connection: close\r\n\r\n";
  return header;
}

std::string LengthFraming(size_t size) {
  return "Content-Length: " + std::to_string(size) + "\r\n";
}

std::string Chunked(std::string_view body, size_t chunk_size, bool last_chunk) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t at = 0; at < body.size(); at += chunk_size) {
    std::string_view chunk = body.substr(at, chunk_size);
    std::string size;
    for (size_t n = chunk.size(); n > 0; n /= 16) size.insert(size.begin(), kHex[n % 16]);
    out += size + "\r\n";
    out += chunk;
    out += "\r\n";
  }
  if (last_chunk) out += "0\r\n\r\n";
  return out;
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string ReadRequestHead(int fd) {
  std::string request;
  char buffer[2048];
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestMs);
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) != 1) break;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<size_t>(n));
  }
  return request.substr(0, request.find("\r\n"));
}

const char* FaultName(ServerFaultKind kind) {
  switch (kind) {
    case ServerFaultKind::kRefuse:
      return "refuse";
    case ServerFaultKind::kDrop:
      return "drop";
    case ServerFaultKind::kCorrupt:
      return "corrupt";
    case ServerFaultKind::kTruncate:
      return "truncate";
    case ServerFaultKind::kStall:
      return "stall";
    case ServerFaultKind::kSlow:
      return "slow";
    case ServerFaultKind::kGarbage:
      return "garbage";
    case ServerFaultKind::kTrickle:
      return "trickle";
    case ServerFaultKind::kSilent:
      return "silent";
    case ServerFaultKind::kNotFound:
      return "notfound";
    case ServerFaultKind::kGone:
      return "gone";
    case ServerFaultKind::kError:
      return "error";
    case ServerFaultKind::kHuge:
      return "huge";
    case ServerFaultKind::kBomb:
      return "bomb";
    case ServerFaultKind::kRepeat:
      return "repeat";
    case ServerFaultKind::kSwell:
      return "swell";
    case ServerFaultKind::kCrawl:
      return "crawl";
  }
  return "";
}

// A picture whose cells are easy to tell apart after tiling.
RasterImage PatternPicture(int width, int height) {
  RasterImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.SetPixel(x, y,
                     Rgb{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4),
                         static_cast<uint8_t>(((x / 10 + y / 10) % 2) * 200)});
    }
  }
  return image;
}

}  // namespace

std::optional<ServerFault> ParseServerFault(std::string_view text) {
  static const ServerFaultKind kKinds[] = {
      ServerFaultKind::kRefuse,   ServerFaultKind::kDrop,    ServerFaultKind::kCorrupt,
      ServerFaultKind::kTruncate, ServerFaultKind::kStall,   ServerFaultKind::kSlow,
      ServerFaultKind::kGarbage,  ServerFaultKind::kTrickle, ServerFaultKind::kSilent,
      ServerFaultKind::kNotFound, ServerFaultKind::kBomb,    ServerFaultKind::kRepeat,
      ServerFaultKind::kSwell,    ServerFaultKind::kGone,    ServerFaultKind::kError,
      ServerFaultKind::kHuge,     ServerFaultKind::kCrawl};
  ServerFault fault;
  std::string_view kind = text.substr(0, text.find(':'));
  auto found = std::find_if(std::begin(kKinds), std::end(kKinds),
                            [kind](ServerFaultKind k) { return kind == FaultName(k); });
  if (found == std::end(kKinds)) return std::nullopt;
  fault.kind = *found;
  if (kind.size() == text.size()) return fault;
  text.remove_prefix(kind.size() + 1);
  size_t colon = text.rfind(':');
  // A picture path holds no ":", so a last ":" starts the count.
  if (colon != text.npos) {
    std::string_view times = text.substr(colon + 1);
    if (times.empty() ||
        !std::all_of(times.begin(), times.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    fault.times = static_cast<int32_t>(LeadingDecimal(times));
    text = text.substr(0, colon);
  }
  if (text.empty()) return std::nullopt;
  fault.target = std::string(text);
  return fault;
}

std::string BuildGameYearArchive(const std::string (&files)[3], const std::vector<int>& plain) {
  std::string archive;
  for (int i = 0; i < 3; ++i) {
    if (std::find(plain.begin(), plain.end(), i) != plain.end()) {
      AppendLe32(archive, static_cast<uint32_t>(files[i].size()));
      AppendLe32(archive, static_cast<uint32_t>(files[i].size()));
      archive += files[i];
    } else {
      archive += MakeArchiveEntry(files[i]);
    }
  }
  return archive;
}

std::string BuildBombArchive(uint32_t size) {
  // One literal, then a single match that repeats it to the full size.
  Jcalg1BitWriter bits;
  bits.Put(1, 1);
  bits.Put('A', 8);
  bits.Put(0b01, 2);
  bits.Gamma(2);  // the last offset again (1)
  bits.Gamma(size - 1);
  std::string stream = Jcalg1Header(size, 0) + bits.Finish();
  std::string archive;
  for (int i = 0; i < 3; ++i) {
    AppendLe32(archive, size);
    AppendLe32(archive, static_cast<uint32_t>(stream.size()));
    archive += stream;
  }
  return archive;
}

std::string BuildSwellArchive(uint32_t size, size_t archive_size) {
  std::string archive = BuildBombArchive(size);
  // Bytes behind the three entries are ignored by the reader.
  if (archive.size() < archive_size) archive.resize(archive_size, '\0');
  return archive;
}

std::optional<ServedSeason> LoadServedSeason(const fs::path& season_folder, std::string* error) {
  ServedSeason served;
  served.season = season_folder.filename().string();
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(season_folder, ec)) {
    std::string name = entry.path().filename().string();
    if (!entry.is_directory() || !IsYearName(name)) continue;
    std::string files[3];
    bool complete = true;
    for (size_t i = 0; i < 3 && complete; ++i) {
      std::optional<std::string> bytes = ReadWholeFile(entry.path() / kGameYearFileNames[i]);
      complete = bytes.has_value();
      if (complete) files[i] = std::move(*bytes);
    }
    if (!complete) continue;
    served.years.push_back(name);
  }
  if (ec) {
    if (error) *error = "cannot read " + season_folder.string();
    return std::nullopt;
  }
  std::sort(served.years.begin(), served.years.end());
  for (size_t i = 0; i < served.years.size(); ++i) {
    const std::string& year = served.years[i];
    std::string files[3];
    for (size_t f = 0; f < 3; ++f)
      files[f] = *ReadWholeFile(season_folder / year / kGameYearFileNames[f]);
    // Every second year keeps one entry plain, as the real archives do for
    // data that does not shrink.
    std::vector<int> plain;
    if (i % 2 == 1) plain.push_back(1 + static_cast<int>(i / 2 % 2));
    served.archives[year] = BuildGameYearArchive(files, plain);
  }
  IniFile index;
  if (index.OpenIni(season_folder / kImageStoreFile)) {
    for (const IniFile::Line& line : index.lines()) {
      if (line.kind == IniFile::LineKind::kGroup) break;
      if (line.kind != IniFile::LineKind::kKey) continue;
      std::string value(TrimBlanks(line.value));
      if (value.empty()) continue;
      std::optional<std::string> bytes =
          ReadWholeFile(season_folder / ReplaceAll(value, "\\", "/"));
      if (bytes) served.pictures[std::string(line.name)] = std::move(*bytes);
    }
  }
  return served;
}

bool AddFixedSizePictures(const fs::path& season_folder, std::string* error) {
  struct Planned {
    size_t row;
    int width;
    int height;
  };
  // Smaller than a cell, one cell, bigger than a cell one way, and one that
  // already has its size and must stay as it is.
  const Planned kPlan[] = {{0, 50, 50}, {1, 80, 60}, {7, 30, 30}, {20, 250, 200}};

  IniFile index;
  if (!index.OpenIni(season_folder / kImageStoreFile)) {
    if (error) *error = "no " + (season_folder / kImageStoreFile).string();
    return false;
  }
  std::map<std::string, std::string> entries;
  for (const IniFile::Line& line : index.lines()) {
    if (line.kind == IniFile::LineKind::kGroup) break;
    if (line.kind == IniFile::LineKind::kKey) {
      entries[std::string(line.name)] = std::string(TrimBlanks(line.value));
    }
  }
  index.CloseIni();
  for (const FixedPictureSize& row : kFixedPictureSizes) {
    if (entries.count(row.path)) return true;
  }

  std::map<std::string, std::string> renamed;  // old path -> table path
  auto next = entries.begin();
  for (const Planned& plan : kPlan) {
    while (next != entries.end() && next->second.find('\\') == std::string::npos) ++next;
    if (next == entries.end()) break;
    const std::string old_path = next->first;
    const std::string old_value = next->second;
    ++next;
    const std::string year = old_value.substr(0, old_value.find('\\'));
    const std::string bytes = EncodeJpeg(PatternPicture(plan.width, plan.height), 90);
    const std::string name = PictureFileName(bytes, "jpg");
    const fs::path images = season_folder / year / kImagesFolderName;
    if (!WriteFileAtomically(images / name, bytes)) {
      if (error) *error = "cannot write " + (images / name).string();
      return false;
    }
    std::error_code ec;
    fs::remove(season_folder / ReplaceAll(old_value, "\\", "/"), ec);
    const std::string new_path = kFixedPictureSizes[plan.row].path;
    entries.erase(old_path);
    entries[new_path] = StoredPictureValue(year, name);
    renamed[old_path] = new_path;
  }

  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(season_folder, ec)) {
    if (!entry.is_directory() || !IsYearName(entry.path().filename().string())) continue;
    for (const char* file : {kAttractionFile, kParkFile}) {
      const fs::path path = entry.path() / file;
      std::optional<std::string> text = ReadWholeFile(path);
      if (!text) continue;
      std::string changed = *text;
      for (const auto& [from, to] : renamed) {
        changed = ReplaceAll(changed, " = " + from + "\r\n", " = " + to + "\r\n");
      }
      if (changed != *text && !WriteFileAtomically(path, changed)) {
        if (error) *error = "cannot write " + path.string();
        return false;
      }
    }
  }
  std::string text;
  for (const auto& [key, value] : entries) text += key + " = " + value + "\r\n";
  if (!WriteFileAtomically(season_folder / kImageStoreFile, text)) {
    if (error) *error = "cannot write the picture index";
    return false;
  }
  return true;
}

RoutedRequest RouteRequest(const ServedSeason& season, std::string_view request_line) {
  RoutedRequest routed;
  if (request_line.substr(0, 4) != "GET ") return routed;
  std::string_view target = request_line.substr(4);
  target = target.substr(0, target.find(' '));
  constexpr std::string_view kList = "/WUNT2_Get.php?round=";
  constexpr std::string_view kArchive = "/WUNT2_";
  if (target.substr(0, kList.size()) == kList) {
    routed.kind = RoutedRequest::Kind::kList;
    routed.key = std::string(target.substr(kList.size()));
  } else if (target.substr(0, kArchive.size()) == kArchive) {
    std::string_view rest = target.substr(kArchive.size());
    size_t slash = rest.find('/');
    if (slash != rest.npos && rest.substr(0, slash) == season.season &&
        season.archives.count(std::string(rest.substr(slash + 1)))) {
      routed.kind = RoutedRequest::Kind::kArchive;
      routed.key = std::string(rest.substr(slash + 1));
    }
  } else if (!target.empty() && season.pictures.count(std::string(target.substr(1)))) {
    routed.kind = RoutedRequest::Kind::kPicture;
    routed.key = std::string(target.substr(1));
  }
  return routed;
}

UpdateServer::UpdateServer(ServedSeason season, UpdateServerOptions options)
    : season_(std::move(season)),
      options_(std::move(options)),
      fault_hits_(options_.faults.size(), 0) {}

UpdateServer::~UpdateServer() { Stop(); }

bool UpdateServer::Start(const std::string& address, int port, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    if (listen_fd_ >= 0) close(listen_fd_);
    listen_fd_ = -1;
    return false;
  };
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) return fail("socket");
  int one = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
    errno = EINVAL;
    return fail("address " + address);
  }
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    return fail("bind");
  }
  if (listen(listen_fd_, 64) != 0) return fail("listen");
  socklen_t length = sizeof local;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&local), &length);
  port_ = ntohs(local.sin_port);
  stop_ = false;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void UpdateServer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listen_fd_ >= 0) close(listen_fd_);
  listen_fd_ = -1;
}

std::vector<std::string> UpdateServer::log() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

// Waits, but gives up early when the server stops. False when stopping.
bool UpdateServer::Pause(int32_t ms) const {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (stop_) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 20)));
  }
  return !stop_;
}

void UpdateServer::WaitForClose(int fd) const {
  char buffer[256];
  while (!stop_) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) != 1) continue;
    if (recv(fd, buffer, sizeof buffer, 0) <= 0) return;
  }
}

void UpdateServer::Serve() {
  // Each connection on a thread of its own, as a real server answers: the
  // updater asks for pictures while it still loads archives, and a fault on
  // one must not hold up the other.
  struct Connection {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> over;
  };
  std::vector<Connection> connections;
  auto reap = [&connections](bool all) {
    std::erase_if(connections, [all](Connection& c) {
      if (!all && !*c.over) return false;
      c.thread.join();
      return true;
    });
  };
  while (!stop_) {
    reap(false);
    if (connections.size() >= kMaxConnections) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    pollfd p{listen_fd_, POLLIN, 0};
    if (poll(&p, 1, 50) != 1) continue;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    auto over = std::make_shared<std::atomic<bool>>(false);
    try {
      connections.push_back({std::thread([this, fd, over] {
                               int one = 1;
                               setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                               timeval bound{10, 0};
                               setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
                               Answer(fd, ReadRequestHead(fd));
                               close(fd);
                               *over = true;
                             }),
                             over});
    } catch (const std::system_error&) {
      close(fd);
    }
  }
  reap(true);
}

std::optional<ServerFaultKind> UpdateServer::TakeFault(const RoutedRequest& request) {
  static const char* const kKindNames[] = {"list", "archive", "picture", ""};
  std::lock_guard<std::mutex> lock(mutex_);
  const char* kind = kKindNames[static_cast<int>(request.kind)];
  for (size_t i = 0; i < options_.faults.size(); ++i) {
    const ServerFault& fault = options_.faults[i];
    bool matches = fault.target == "any" || fault.target == kind ||
                   (!request.key.empty() && fault.target == request.key);
    if (!matches || (fault.times > 0 && fault_hits_[i] >= fault.times)) continue;
    ++fault_hits_[i];
    return fault.kind;
  }
  return std::nullopt;
}

void UpdateServer::Answer(int fd, const std::string& request_line) {
  RoutedRequest request = RouteRequest(season_, request_line);
  std::optional<ServerFaultKind> fault = TakeFault(request);
  const std::string logged =
      request_line + (fault ? std::string(" [") + FaultName(*fault) + "]" : "");
  {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(logged);
  }
  if (options_.on_request) options_.on_request(logged);

  std::string status = "200 OK";
  std::string type = "text/plain";
  std::string body;
  bool chunked = false;
  switch (request.kind) {
    case RoutedRequest::Kind::kList:
      // A season we do not have has no years: an empty list.
      if (request.key == season_.season) {
        for (const std::string& year : season_.years) body += year;
        body += "\r\n";
      }
      break;
    case RoutedRequest::Kind::kArchive:
      type = "application/octet-stream";
      body = season_.archives.at(request.key);
      chunked = true;
      break;
    case RoutedRequest::Kind::kPicture:
      type = "image/jpeg";
      body = season_.pictures.at(request.key);
      break;
    case RoutedRequest::Kind::kNotFound:
      status = "404 Not Found";
      type = "text/html";
      body = "<html><body><h1>404 Not Found</h1></body></html>\r\n";
      break;
  }

  auto is = [&fault](ServerFaultKind kind) { return fault && *fault == kind; };
  if (is(ServerFaultKind::kSilent)) {
    WaitForClose(fd);
    return;
  }
  for (const auto& [kind, error] :
       {std::pair{ServerFaultKind::kNotFound, "404 Not Found"},
        std::pair{ServerFaultKind::kGone, "410 Gone"},
        std::pair{ServerFaultKind::kError, "500 Internal Server Error"}}) {
    if (!is(kind)) continue;
    status = error;
    type = "text/html";
    body = std::string("<html><body><h1>") + error + "</h1></body></html>\r\n";
    chunked = false;
  }
  if (is(ServerFaultKind::kHuge) && request.kind == RoutedRequest::Kind::kArchive) {
    // Announced only: the updater must refuse it from the header.
    SendAll(fd,
            Header(status, type, LengthFraming(static_cast<size_t>(kMaxGameYearArchiveBytes) + 1)));
    return;
  }
  if (is(ServerFaultKind::kHuge)) {
    body.assign(static_cast<size_t>(kMaxPictureBytes) + 1, 'x');
    chunked = true;
  }
  if (is(ServerFaultKind::kBomb)) body = BuildBombArchive(uint32_t{1} << 30);
  if (is(ServerFaultKind::kSwell)) body = BuildSwellArchive(uint32_t{256} << 20, 256 << 10);
  if (is(ServerFaultKind::kRepeat) && !season_.years.empty()) {
    // Sent piece by piece: the server need not hold the whole list.
    const std::string year = season_.years.front();
    const size_t count = static_cast<size_t>(options_.repeat_bytes) / year.size();
    std::string piece;
    for (size_t i = 0; i < 16384; ++i) piece += year;
    SendAll(fd, Header(status, type, LengthFraming(count * year.size())));
    for (size_t sent = 0; sent < count; sent += 16384) {
      size_t n = std::min<size_t>(16384, count - sent);
      if (!SendAll(fd, std::string_view(piece).substr(0, n * year.size()))) return;
    }
    return;
  }
  if (is(ServerFaultKind::kCrawl) && request.kind != RoutedRequest::Kind::kList) {
    // Filler, not the real body: at this rate a whole one would take an hour
    // and more, which is what the updater must not wait for.
    const int64_t size = request.kind == RoutedRequest::Kind::kArchive
                             ? kMaxGameYearArchiveBytes
                             : static_cast<int64_t>(kMaxPictureBytes);
    // Paced against the start, so that oversleeping does not lower the rate.
    const std::string piece(kSlowPiece, 'x');
    const auto start = std::chrono::steady_clock::now();
    SendAll(fd, Header(status, type, LengthFraming(static_cast<size_t>(size))));
    for (int64_t sent = 0; sent < size;) {
      if (!SendAll(fd, piece)) return;
      sent += static_cast<int64_t>(kSlowPiece);
      auto due = start + std::chrono::milliseconds(sent * 1000 / options_.crawl_rate);
      auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
          due - std::chrono::steady_clock::now());
      if (!Pause(static_cast<int32_t>(std::max<int64_t>(0, wait.count())))) return;
    }
    return;
  }
  if (is(ServerFaultKind::kRefuse)) {
    linger reset{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    return;
  }
  if (is(ServerFaultKind::kGarbage)) {
    std::string garbage(kGarbageSize, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) {
      char c = static_cast<char>((i * 131 + 7) % 251);
      garbage[i] = (c == '\r' || c == '\n') ? 'x' : c;
    }
    SendAll(fd, garbage);
    return;
  }
  if (is(ServerFaultKind::kStall) && !Pause(options_.stall_ms)) return;
  if (is(ServerFaultKind::kCorrupt) && !body.empty()) {
    size_t at =
        request.kind == RoutedRequest::Kind::kArchive ? CorruptionPoint(body) : body.size() / 2;
    body[at] = static_cast<char>(body[at] ^ 0x5A);
  }
  if (is(ServerFaultKind::kDrop)) {
    SendAll(fd, Header(status, type, LengthFraming(body.size())));
    SendAll(fd, std::string_view(body).substr(0, body.size() / 2));
    return;
  }
  if (is(ServerFaultKind::kTruncate)) {
    SendAll(fd, Header(status, type, "Transfer-Encoding: chunked\r\n"));
    SendAll(fd,
            Chunked(std::string_view(body).substr(0, body.size() / 2),
                    std::max<size_t>(1, std::min(options_.chunk_size, body.size() / 4)), false));
    return;
  }
  std::string wire = chunked ? Header(status, type, "Transfer-Encoding: chunked\r\n") +
                                   Chunked(body, options_.chunk_size, true)
                             : Header(status, type, LengthFraming(body.size())) + body;
  if (is(ServerFaultKind::kTrickle)) {
    SendAll(fd, Header(status, type, LengthFraming(body.size())));
    for (char byte : body) {
      if (!SendAll(fd, std::string_view(&byte, 1)) || !Pause(options_.trickle_ms)) return;
    }
    return;
  }
  if (is(ServerFaultKind::kSlow)) {
    for (size_t at = 0; at < wire.size(); at += kSlowPiece) {
      if (!SendAll(fd, std::string_view(wire).substr(at, kSlowPiece)) || !Pause(kSlowPauseMs)) {
        return;
      }
    }
    return;
  }
  SendAll(fd, wire);
}

}  // namespace wunt
