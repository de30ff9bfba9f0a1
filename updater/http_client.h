#pragma once
// The updater's own small HTTP/1.1 client: one GET per connection, the
// response header parsed as the update and game servers send it, the body
// handed out in pieces of at most 1024 bytes straight from the receive buffer,
// chunked transfer coding undone in place.
//
// The response reader takes its bytes from a ByteStream, so it runs the same
// on a socket and on bytes held in memory (fuzzing, tests).

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Takes up to `capacity` bytes that are waiting, without blocking.
  // > 0: that many bytes; 0: nothing waiting now; -1: closed or broken.
  virtual int64_t Receive(char* buffer, size_t capacity) = 0;
  // Returns when bytes may be waiting, or after `timeout_ms`.
  virtual void WaitReadable(int timeout_ms) = 0;
  virtual void Send(std::string_view bytes) = 0;
};

// A connected TCP socket, or nothing when the name lookup or the connect
// (bounded by `timeout_ms`) fails. The host is a dotted IPv4 address or a name.
std::unique_ptr<ByteStream> ConnectTcp(const std::string& host, int port, int timeout_ms);

// Hands out `bytes` in pieces whose sizes cycle through `pieces` (all of it at
// once when empty), then reports the peer closed. Sent bytes are kept.
class MemoryByteStream : public ByteStream {
 public:
  explicit MemoryByteStream(std::string bytes, std::vector<size_t> pieces = {});
  int64_t Receive(char* buffer, size_t capacity) override;
  void WaitReadable(int) override {}
  void Send(std::string_view bytes) override { sent_.append(bytes); }
  const std::string& sent() const { return sent_; }

 private:
  std::string bytes_;
  std::vector<size_t> pieces_;
  size_t next_piece_ = 0;
  size_t pos_ = 0;
  std::string sent_;
};

// Body time and bytes of the rate window that is running.
struct RateWindow {
  int64_t elapsed_ms = 0;
  int64_t bytes = 0;
};

enum class HttpCharset : uint8_t { k8Bit, kUtf8, kUtf16 };

inline constexpr size_t kHttpBufferSize = 1024;
inline constexpr size_t kChunkLineSize = 40;

struct HttpLimits {
  int connect_ms = 10000;
  int header_ms = 5000;
  // A body whose server stays silent this long is given up as failed.
  int silence_ms = 30000;
  int64_t max_body = int64_t{1} << 30;
  // The whole request may take this long from the connect on (0: no bound),
  // plus one second for every `earned_rate` body bytes received (0: none),
  // so that a large body on a slow line may finish but a trickle may not.
  int total_ms = 0;
  int64_t earned_rate = 0;
  // What the earned time can never push the request past (0: no ceiling): a
  // body sent just above `earned_rate` would otherwise keep earning time
  // until it reached `max_body`.
  int max_total_ms = 0;
  // Bodies slower than `min_rate` bytes a second over a window of
  // `rate_window_ms` of body time are given up as too slow: a trickle would
  // otherwise keep earning time. 0: no floor. The window runs on across the
  // requests that share `rate_window` (one per server), so a server that
  // trickles many small bodies is caught as well as one big one.
  int64_t min_rate = 1024;
  int rate_window_ms = 30000;
  RateWindow* rate_window = nullptr;
  // Set from outside to give the request up at once.
  const std::atomic<bool>* cancel = nullptr;
  // Milliseconds of a steady clock; the real one when empty.
  std::function<int64_t()> clock;
};

// ReadHttpBody results besides a piece size.
inline constexpr int64_t kHttpBodyComplete = -1;
inline constexpr int64_t kHttpBodyFailed = -2;

struct HttpConnection {
  explicit HttpConnection(std::unique_ptr<ByteStream> s, HttpLimits l = {})
      : stream(std::move(s)), limits(l) {}

  std::unique_ptr<ByteStream> stream;
  HttpLimits limits;
  // Header text not yet split into lines; afterwards the current body piece.
  std::array<char, kHttpBufferSize> buffer{};
  int32_t status = 0;
  std::string location;
  std::string cookies;
  // Content-Length, or for a chunked body the sum of the chunk sizes so far.
  int64_t content_length = 0;
  bool has_content_length = false;
  HttpCharset charset = HttpCharset::k8Bit;
  // Header phase: bytes held in the buffer. Body phase: body bytes so far.
  int64_t received = 0;
  // Body bytes came with the header and wait in the buffer.
  bool pending = false;
  bool chunked = false;
  // Start of a chunk-size line split across receives.
  std::array<char, kChunkLineSize> chunk_line{};
  size_t chunk_line_fill = 0;
  bool complete = false;
  // The server failed the request: no usable header, or a body that broke
  // off, was too big, too slow or badly framed (not set when the caller
  // gave up, say on a write that failed).
  bool failed = false;
  // Failed because the body stayed below the minimum rate.
  bool too_slow = false;
  // Failed because the body was announced or grew beyond `max_body`.
  bool too_large = false;
  // Failed because the request ran out of its total time (not when
  // cancelled), which had come to `time_allowed_ms`.
  bool out_of_time = false;
  int64_t time_allowed_ms = 0;
  int64_t last_data_ms = 0;
  int64_t start_ms = 0;
  // The window when the limits name none, and when it was last brought on.
  RateWindow own_window;
  int64_t rate_tick_ms = 0;
};

// Connects and sends the request: the request line, "Host" (with ":port"
// unless 80), then "Accept", "Cookie", "Content-Length", "Content-Type" when
// not empty, "Connection: close", the empty line and the body, one send per
// piece. Nothing when the connect fails or a header text holds a line break.
std::unique_ptr<HttpConnection> OpenHttpRequest(const std::string& host, int port,
                                                std::string_view request_line,
                                                std::string_view accept,
                                                std::string_view content_type,
                                                std::string_view cookie, std::string_view body,
                                                HttpLimits limits = {});

// The status code once the header block is complete; 0 on time-out, on a
// closed connection, or when no "HTTP/1.1 " status line came.
int32_t ReadHttpHeader(HttpConnection* connection);

// > 0: that many body bytes lie at the start of the buffer; 0: nothing new
// yet; kHttpBodyComplete; kHttpBodyFailed when the server closed or fell
// silent before the end, the body is too large, or the chunk framing is bad.
int64_t ReadHttpBody(HttpConnection* connection);

// Reads the header, then hands every body piece to `sink` until the body is
// complete (true) or the fetch fails or `sink` returns false (false).
bool FetchToSink(HttpConnection* connection,
                 const std::function<bool(std::string_view piece)>& sink);

// The whole body, or nothing when the fetch failed or the body is empty.
// Any status counts: an error page is a body like any other.
std::optional<std::string> FetchToMemory(HttpConnection* connection);

// Streams the body into `path` under a temporary name and renames it into
// place only when the body arrived complete; otherwise `path` is untouched.
// The file is not synced: a download is unpacked at once, and what a crash
// leaves of it is swept away by the next run. A caller that keeps the file
// makes it durable itself.
// `may_write` (when set) is asked before every piece is written; false fails
// the fetch.
bool FetchToFile(HttpConnection* connection, const std::filesystem::path& path,
                 const std::function<bool(uint64_t bytes)>& may_write = nullptr);

void CloseHttpConnection(std::unique_ptr<HttpConnection> connection);

}  // namespace wunt
