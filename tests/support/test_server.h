#pragma once
// A loopback HTTP server for tests: one thread on 127.0.0.1 with an
// ephemeral port, serving connections one after the other with a handler
// that decides what goes back and how (whole, in pieces, slowly, cut off).

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace wunt::test {

class TestServer {
 public:
  // Called per connection with the socket and the request bytes (up to and
  // including the empty line). The connection closes when it returns.
  using Handler = std::function<void(int fd, const std::string& request)>;

  explicit TestServer(Handler handler);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  int port() const { return port_; }
  std::vector<std::string> requests() const;

 private:
  void Serve();

  Handler handler_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// Writes every byte, `piece` bytes per send with `pause` between sends.
void SendPieces(int fd, std::string_view bytes, size_t piece = 0,
                std::chrono::milliseconds pause = std::chrono::milliseconds(0));

// A response with a Content-Length header.
std::string PlainResponse(std::string_view body, std::string_view status = "200 OK");

// A port on 127.0.0.1 nothing listens on.
int UnusedPort();

}  // namespace wunt::test
