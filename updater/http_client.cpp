#include "updater/http_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "common/file_util.h"
#include "common/text.h"

namespace wunt {
namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class SocketByteStream : public ByteStream {
 public:
  explicit SocketByteStream(int fd) : fd_(fd) {}
  ~SocketByteStream() override { close(fd_); }

  int64_t Receive(char* buffer, size_t capacity) override {
    for (;;) {
      ssize_t n = recv(fd_, buffer, capacity, MSG_DONTWAIT);
      if (n > 0) return n;
      if (n == 0) return -1;
      if (errno == EINTR) continue;
      return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
  }

  void WaitReadable(int timeout_ms) override {
    pollfd p{fd_, POLLIN, 0};
    poll(&p, 1, timeout_ms);
  }

  // A broken connection is not reported here; it shows as a failed read.
  void Send(std::string_view bytes) override {
    while (!bytes.empty()) {
      ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
  }

 private:
  int fd_;
};

std::optional<in_addr> ResolveIpv4(const std::string& host) {
  in_addr address{};
  if (inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return address;
}

bool ConnectWithin(int fd, const sockaddr_in& target, int timeout_ms) {
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return false;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    if (errno != EINPROGRESS) return false;
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, timeout_ms) != 1) return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return false;
  }
  // Sends block (bounded below); receives never do.
  return fcntl(fd, F_SETFL, flags) == 0;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

std::string_view Field(std::string_view line, size_t index, char separator) {
  for (size_t i = 0; i < index; ++i) {
    size_t at = line.find(separator);
    if (at == line.npos) return {};
    line.remove_prefix(at + 1);
  }
  return line.substr(0, line.find(separator));
}

int32_t StatusOf(std::string_view line) {
  line.remove_prefix(9);
  line = TrimLeadingBlanks(line);
  int64_t status = LeadingDecimal(line.substr(0, line.find(' ')));
  return (status > 0 && status <= INT32_MAX) ? static_cast<int32_t>(status) : 0;
}

HttpCharset CharsetOf(std::string_view value) {
  std::string lower = FoldCaseAZ(value);
  size_t charset = lower.find("charset");
  if (charset == lower.npos) return HttpCharset::k8Bit;
  size_t equals = lower.find('=', charset);
  if (equals == lower.npos) return HttpCharset::k8Bit;
  std::string_view name = std::string_view(lower).substr(equals + 1);
  if (name == "utf-8") return HttpCharset::kUtf8;
  if (name == "utf-16") return HttpCharset::kUtf16;
  return HttpCharset::k8Bit;
}

void ParseHeaderLine(HttpConnection& c, std::string_view line) {
  if (line.substr(0, 9) == "HTTP/1.1 ") {
    c.status = StatusOf(line);
    return;
  }
  size_t colon = line.find(':');
  std::string_view name = line.substr(0, colon);
  if (colon == line.npos) return;
  std::string_view value = Field(line, 1, ':');
  if (name == "Content-Length") {
    c.content_length = LeadingDecimal(value);
    c.has_content_length = true;
  } else if (name == "Location") {
    c.location = std::string(line.substr(std::min(line.size(), colon + 2)));
  } else if (name == "Set-Cookie") {
    c.cookies += line;
  } else if (name == "Transfer-Encoding") {
    if (value == " chunked") c.chunked = true;
  } else if (name == "Content-Type") {
    c.charset = CharsetOf(value);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Size of a chunk-size line (everything up to its CR): the hex digits in
// order, other characters skipped; a ";" starts extensions, which carry no
// size. Nothing when the value exceeds `limit`.
std::optional<int64_t> ChunkSize(std::string_view line, int64_t limit) {
  int64_t size = 0;
  for (char c : line) {
    if (c == ';') break;
    int digit = HexDigit(c);
    if (digit < 0) continue;
    size = size * 16 + digit;
    if (size > limit) return std::nullopt;
  }
  return size;
}

int64_t Now(const HttpLimits& limits) { return limits.clock ? limits.clock() : NowMs(); }

bool Cancelled(const HttpConnection& c) {
  return c.limits.cancel != nullptr && c.limits.cancel->load();
}

// The request's total time: what it was given and what it has earned, but
// never past the ceiling. 0: no bound.
int64_t AllowedTime(const HttpConnection& c) {
  if (c.limits.total_ms <= 0) return 0;
  int64_t allowed = c.limits.total_ms;
  if (c.limits.earned_rate > 0)
    allowed += std::max<int64_t>(0, c.received) * 1000 / c.limits.earned_rate;
  if (c.limits.max_total_ms > 0) allowed = std::min<int64_t>(allowed, c.limits.max_total_ms);
  return allowed;
}

// Cancelled, or past the request's total time (which is noted).
bool OutOfTime(HttpConnection& c) {
  if (Cancelled(c)) return true;
  int64_t allowed = AllowedTime(c);
  if (allowed <= 0 || Now(c.limits) - c.start_ms < allowed) return false;
  c.out_of_time = true;
  c.time_allowed_ms = allowed;
  return true;
}

RateWindow& WindowOf(HttpConnection& c) {
  return c.limits.rate_window != nullptr ? *c.limits.rate_window : c.own_window;
}

// Adds the body time since the last call and `bytes`; true when the window
// that has just ended brought less than the minimum rate, otherwise the next
// window begins.
bool TooSlow(HttpConnection& c, int64_t bytes) {
  RateWindow& window = WindowOf(c);
  int64_t now = Now(c.limits);
  window.elapsed_ms += now - c.rate_tick_ms;
  window.bytes += bytes;
  c.rate_tick_ms = now;
  if (c.limits.min_rate <= 0 || window.elapsed_ms < c.limits.rate_window_ms) return false;
  if (window.bytes * 1000 < c.limits.min_rate * window.elapsed_ms) return true;
  window = RateWindow{};
  return false;
}

constexpr int64_t kCannotProceed = -1;
constexpr int64_t kBadFraming = -2;

// Removes one chunk-size line from the block of `n` bytes at the start of the
// buffer (the block is the tail of `received`). Returns the bytes removed,
// kCannotProceed when the block ends where the current chunk's data ends, or
// kBadFraming.
int64_t DecodeChunkLines(HttpConnection& c, int64_t n) {
  int64_t off = n - (c.received - c.content_length);
  int64_t take =
      std::min<int64_t>(static_cast<int64_t>(kChunkLineSize - c.chunk_line_fill), n - off);
  if (take == 0) return kCannotProceed;
  char* block = c.buffer.data();
  std::memcpy(c.chunk_line.data() + c.chunk_line_fill, block + off, static_cast<size_t>(take));
  std::string_view line(c.chunk_line.data(), c.chunk_line_fill + static_cast<size_t>(take));
  // The first character is skipped: it may be the CR closing the previous
  // chunk's data.
  size_t cr = line.find("\r\n", 1);
  int64_t removed;
  if (cr == line.npos) {
    if (line.size() == kChunkLineSize) return kBadFraming;
    removed = n - off;
    c.chunk_line_fill += static_cast<size_t>(removed);
  } else {
    std::optional<int64_t> size =
        ChunkSize(line.substr(0, cr), c.limits.max_body - c.content_length);
    if (!size) {
      c.too_large = true;
      return kBadFraming;
    }
    removed = static_cast<int64_t>(cr + 2 - c.chunk_line_fill);
    c.content_length += *size;
    c.chunk_line_fill = 0;
    if (*size == 0) {
      // Trailer lines and the closing CRLF are not body.
      c.chunked = false;
      c.complete = true;
      removed = n - off;
    }
  }
  std::memmove(block + off, block + off + removed, static_cast<size_t>(n - off - removed));
  return removed;
}

}  // namespace

MemoryByteStream::MemoryByteStream(std::string bytes, std::vector<size_t> pieces)
    : bytes_(std::move(bytes)), pieces_(std::move(pieces)) {}

int64_t MemoryByteStream::Receive(char* buffer, size_t capacity) {
  if (pos_ >= bytes_.size()) return -1;
  size_t piece = bytes_.size() - pos_;
  if (!pieces_.empty()) {
    piece = std::max<size_t>(1, pieces_[next_piece_++ % pieces_.size()]);
  }
  size_t n = std::min({piece, capacity, bytes_.size() - pos_});
  std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  return static_cast<int64_t>(n);
}

std::unique_ptr<ByteStream> ConnectTcp(const std::string& host, int port, int timeout_ms) {
  if (port <= 0 || port > 65535) return nullptr;
  std::optional<in_addr> address = ResolveIpv4(host);
  if (!address) return nullptr;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  target.sin_addr = *address;
  if (!ConnectWithin(fd, target, timeout_ms)) {
    close(fd);
    return nullptr;
  }
  // The request goes out in several small sends; without this the second
  // would wait for the peer's delayed acknowledgement.
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  timeval send_bound{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send_bound, sizeof send_bound);
  return std::make_unique<SocketByteStream>(fd);
}

std::unique_ptr<HttpConnection> OpenHttpRequest(const std::string& host, int port,
                                                std::string_view request_line,
                                                std::string_view accept,
                                                std::string_view content_type,
                                                std::string_view cookie, std::string_view body,
                                                HttpLimits limits) {
  if (HasLineBreak(host) || HasLineBreak(request_line) || HasLineBreak(accept) ||
      HasLineBreak(content_type) || HasLineBreak(cookie)) {
    return nullptr;
  }
  const int64_t start = Now(limits);
  std::unique_ptr<ByteStream> stream = ConnectTcp(host, port, limits.connect_ms);
  if (!stream) return nullptr;
  std::string host_text = host;
  if (port != 80) {
    host_text += ':';
    host_text += std::to_string(port);
  }

  auto line = [&stream](std::string_view name, std::string_view value) {
    std::string piece(name);
    piece += value;
    piece += "\r\n";
    stream->Send(piece);
  };
  line(request_line, "");
  line("Host: ", host_text);
  if (!accept.empty()) line("Accept: ", accept);
  if (!cookie.empty()) line("Cookie: ", cookie);
  if (!body.empty()) line("Content-Length: ", std::to_string(body.size()));
  if (!content_type.empty()) line("Content-Type: ", content_type);
  line("Connection: close", "");
  stream->Send("\r\n");
  if (!body.empty()) stream->Send(body);
  auto connection = std::make_unique<HttpConnection>(std::move(stream), limits);
  connection->start_ms = start;
  return connection;
}

int32_t ReadHttpHeader(HttpConnection* connection) {
  if (connection == nullptr) return 0;
  HttpConnection& c = *connection;
  const int64_t start = Now(c.limits);
  std::vector<std::string> lines;
  size_t held = 0;
  bool done = false;
  while (!done) {
    int64_t n = c.stream->Receive(c.buffer.data() + held, kHttpBufferSize - held);
    if (n < 0) return 0;
    if (n == 0) {
      if (Now(c.limits) - start >= c.limits.header_ms || OutOfTime(c)) return 0;
      c.stream->WaitReadable(1);
      continue;
    }
    // A CR at the end of the previous receive may pair with an LF now.
    size_t search = held > 0 ? held - 1 : 0;
    held += static_cast<size_t>(n);
    for (;;) {
      std::string_view text(c.buffer.data(), held);
      size_t crlf = text.find("\r\n", search);
      if (crlf == text.npos) break;
      lines.emplace_back(text.substr(0, crlf));
      held -= crlf + 2;
      std::memmove(c.buffer.data(), c.buffer.data() + crlf + 2, held);
      search = 0;
      if (crlf == 0) {
        done = true;
        break;
      }
    }
    // A line that cannot fit would only run into the time-out.
    if (!done && held == kHttpBufferSize) return 0;
    if (!done && Now(c.limits) - start >= c.limits.header_ms) return 0;
  }

  c.charset = HttpCharset::k8Bit;
  for (const std::string& line : lines) ParseHeaderLine(c, line);
  if (c.chunked) {
    c.content_length = 0;  // the running sum of chunk sizes
  } else if (!c.has_content_length) {
    // Without a length the body is what came with the header block.
    c.content_length = static_cast<int64_t>(held);
  } else if (c.content_length < 0 || c.content_length > c.limits.max_body) {
    c.failed = true;
    c.too_large = c.content_length > c.limits.max_body;
  }
  c.received = static_cast<int64_t>(held);
  c.pending = held != 0;
  c.last_data_ms = c.rate_tick_ms = Now(c.limits);
  WindowOf(c).bytes += c.received;
  return c.status;
}

int64_t ReadHttpBody(HttpConnection* connection) {
  if (connection == nullptr) return 0;
  HttpConnection& c = *connection;
  if (c.failed) return kHttpBodyFailed;
  if (c.complete) return kHttpBodyComplete;
  int64_t count;
  if (c.pending) {
    c.pending = false;
    count = c.received;
  } else {
    if (!c.chunked && c.received >= c.content_length) {
      c.complete = true;
      return kHttpBodyComplete;
    }
    count = c.stream->Receive(c.buffer.data(), kHttpBufferSize);
    if (count < 0) {
      // Closed or broken before the announced end.
      c.failed = true;
      return kHttpBodyFailed;
    }
    if (count > 0) {
      c.last_data_ms = Now(c.limits);
      c.received += count;
    }
    // Silence counts as a rate of nothing.
    if (TooSlow(c, count)) {
      c.failed = c.too_slow = true;
      return kHttpBodyFailed;
    }
    if ((count == 0 && Now(c.limits) - c.last_data_ms >= c.limits.silence_ms) || OutOfTime(c)) {
      c.failed = true;
      return kHttpBodyFailed;
    }
    if (count == 0) return 0;
  }
  while (c.chunked && c.received >= c.content_length) {
    int64_t removed = DecodeChunkLines(c, count);
    if (removed == kCannotProceed) break;
    if (removed == kBadFraming) {
      c.failed = true;
      return kHttpBodyFailed;
    }
    count -= removed;
    c.received -= removed;
  }
  if (!c.chunked && c.received > c.content_length) {
    // Bytes past the announced length are not part of this body.
    count -= c.received - c.content_length;
    c.received = c.content_length;
  }
  if (c.received > c.limits.max_body) {
    c.failed = c.too_large = true;
    return kHttpBodyFailed;
  }
  return count;
}

bool FetchToSink(HttpConnection* connection,
                 const std::function<bool(std::string_view piece)>& sink) {
  if (connection == nullptr) return false;
  if (ReadHttpHeader(connection) == 0) {
    connection->failed = true;
    return false;
  }
  for (;;) {
    int64_t n = ReadHttpBody(connection);
    if (n == kHttpBodyComplete) return true;
    if (n == kHttpBodyFailed) return false;
    if (n > 0) {
      if (!sink(std::string_view(connection->buffer.data(), static_cast<size_t>(n)))) return false;
    } else {
      connection->stream->WaitReadable(1);
    }
  }
}

std::optional<std::string> FetchToMemory(HttpConnection* connection) {
  std::string body;
  bool ok = FetchToSink(connection, [connection, &body](std::string_view piece) {
    // The announced length is a hint only: bounded, since it comes from the
    // peer.
    if (body.empty() && connection->has_content_length && connection->content_length > 0) {
      body.reserve(static_cast<size_t>(std::min<int64_t>(connection->content_length, 64 << 20)));
    }
    body.append(piece);
    return true;
  });
  if (!ok || body.empty()) return std::nullopt;
  return body;
}

bool FetchToFile(HttpConnection* connection, const std::filesystem::path& path,
                 const std::function<bool(uint64_t bytes)>& may_write) {
  if (connection == nullptr) return false;
  AtomicFileWriter file;
  if (!file.Open(path)) return false;
  if (FetchToSink(connection, [&file, &may_write](std::string_view piece) {
        return (!may_write || may_write(piece.size())) && file.Write(piece);
      })) {
    return file.CommitUnsynced();
  }
  file.Abandon();
  return false;
}

void CloseHttpConnection(std::unique_ptr<HttpConnection> connection) { connection.reset(); }

}  // namespace wunt
