// Downloading 100 MB from a loopback server in this process: our client with
// its 1 KB receive buffer against the curl program fetching the same file
// from the same server.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/best_times.h"
#include "updater/http_client.h"

namespace {

constexpr size_t kBodySize = size_t{100} << 20;

// Serves every request with the same 100 MB body, one connection at a time.
class BulkServer {
 public:
  BulkServer() : body_(kBodySize, 'x') {
    for (size_t i = 0; i < body_.size(); i += 4096) body_[i] = static_cast<char>(i >> 12);
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 4);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~BulkServer() {
    stop_ = true;
    thread_.join();
    close(fd_);
  }
  int port() const { return port_; }

 private:
  void Serve() {
    std::string header =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n";
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 50) != 1) continue;
      int client = accept(fd_, nullptr, nullptr);
      if (client < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      Send(client, header);
      Send(client, body_);
      close(client);
    }
  }
  static void Send(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = send(fd, bytes.data(), std::min<size_t>(bytes.size(), 1 << 20), MSG_NOSIGNAL);
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
  }

  std::string body_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

BulkServer& Server() {
  static BulkServer server;
  return server;
}

void BM_OurClient(benchmark::State& state) {
  for (auto _ : state) {
    auto connection =
        wunt::OpenHttpRequest("127.0.0.1", Server().port(), "GET /big HTTP/1.1", "", "", "", "");
    size_t total = 0;
    if (connection && wunt::ReadHttpHeader(connection.get()) == 200) {
      for (;;) {
        int64_t n = wunt::ReadHttpBody(connection.get());
        if (n < 0) break;
        if (n == 0) connection->stream->WaitReadable(1);
        total += static_cast<size_t>(n);
      }
    }
    if (total != kBodySize) state.SkipWithError("short body");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBodySize));
}

void BM_OurFetchToMemory(benchmark::State& state) {
  for (auto _ : state) {
    auto connection =
        wunt::OpenHttpRequest("127.0.0.1", Server().port(), "GET /big HTTP/1.1", "", "", "", "");
    std::optional<std::string> body = wunt::FetchToMemory(connection.get());
    if (!body || body->size() != kBodySize) state.SkipWithError("short body");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBodySize));
}

void BM_Curl(benchmark::State& state) {
  std::string command =
      "curl -s -f -o /dev/null http://127.0.0.1:" + std::to_string(Server().port()) + "/big";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBodySize));
}

BENCHMARK(BM_OurClient)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(3);
BENCHMARK(BM_OurFetchToMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Curl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.Best("BM_OurClient").bytes_per_second;
  const double curl = reporter.Best("BM_Curl").bytes_per_second;
  if (curl > 0) std::printf("download rate ours (1 KB buffer) / curl: %.2f\n", ours / curl);
  benchmark::Shutdown();
  return 0;
}
