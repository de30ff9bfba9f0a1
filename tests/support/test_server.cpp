#include "tests/support/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace wunt::test {
namespace {

int ListenLoopback(int* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 16);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

// The header block and, when announced, the body.
bool RequestComplete(const std::string& request) {
  size_t end = request.find("\r\n\r\n");
  if (end == std::string::npos) return false;
  size_t length = request.find("\r\nContent-Length: ");
  if (length == std::string::npos || length > end) return true;
  return request.size() >= end + 4 + std::stoul(request.substr(length + 18));
}

std::string ReadRequest(int fd) {
  std::string request;
  char buffer[4096];
  while (!RequestComplete(request)) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 2000) != 1) break;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<size_t>(n));
  }
  return request;
}

}  // namespace

TestServer::TestServer(Handler handler) : handler_(std::move(handler)) {
  listen_fd_ = ListenLoopback(&port_);
  thread_ = std::thread([this] { Serve(); });
}

TestServer::~TestServer() {
  stop_ = true;
  thread_.join();
  close(listen_fd_);
}

std::vector<std::string> TestServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void TestServer::Serve() {
  while (!stop_) {
    pollfd p{listen_fd_, POLLIN, 0};
    if (poll(&p, 1, 20) != 1) continue;
    int fd = accept(listen_fd_, nullptr, nullptr);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string request = ReadRequest(fd);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    handler_(fd, request);
    close(fd);
  }
}

void SendPieces(int fd, std::string_view bytes, size_t piece, std::chrono::milliseconds pause) {
  if (piece == 0) piece = bytes.size();
  while (!bytes.empty()) {
    std::string_view now = bytes.substr(0, piece);
    while (!now.empty()) {
      ssize_t n = send(fd, now.data(), now.size(), MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      now.remove_prefix(static_cast<size_t>(n));
    }
    bytes.remove_prefix(std::min(piece, bytes.size()));
    if (pause.count() > 0 && !bytes.empty()) std::this_thread::sleep_for(pause);
  }
}

std::string PlainResponse(std::string_view body, std::string_view status) {
  std::string response = "HTTP/1.1 ";
  response += status;
  response += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  response += body;
  return response;
}

int UnusedPort() {
  int port = 0;
  int fd = ListenLoopback(&port);
  close(fd);
  return port;
}

}  // namespace wunt::test
