#include "updater/http_client.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "common/file_util.h"
#include "tests/support/test_server.h"

namespace wunt {
namespace {

using std::chrono::milliseconds;
using test::PlainResponse;
using test::SendPieces;
using test::TestServer;

struct Fetched {
  int32_t status = 0;
  std::optional<std::string> body;
  HttpCharset charset = HttpCharset::k8Bit;
};

Fetched FetchFromBytes(const std::string& response, std::vector<size_t> pieces,
                       HttpLimits limits = {}) {
  HttpConnection connection(std::make_unique<MemoryByteStream>(response, std::move(pieces)),
                            limits);
  Fetched result;
  result.body = FetchToMemory(&connection);
  result.status = connection.status;
  result.charset = connection.charset;
  return result;
}

std::string Chunked(const std::vector<std::string>& chunks, std::string_view extra_headers = "",
                    std::string_view trailer = "") {
  std::string r = "HTTP/1.1 200 OK\r\n";
  r += extra_headers;
  r += "Transfer-Encoding: chunked\r\n\r\n";
  for (const std::string& chunk : chunks) {
    char size[16];
    std::snprintf(size, sizeof size, "%zX", chunk.size());
    r += size;
    r += "\r\n" + chunk + "\r\n";
  }
  r += "0\r\n";
  r += trailer;
  r += "\r\n";
  return r;
}

std::string Letters(size_t n, int seed) {
  std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
  std::string s(n, 'a');
  for (char& c : s) c = static_cast<char>('a' + rng() % 26);
  return s;
}

// Responses whose outcome must not depend on how the bytes are split up.
TEST(HttpResponse, SameResultWhateverTheSplit) {
  struct Case {
    const char* name;
    std::string response;
    int32_t status;
    std::optional<std::string> body;
  };
  std::string big = Letters(5000, 1);
  const Case cases[] = {
      {"plain", PlainResponse("hello"), 200, "hello"},
      {"404 page is a body", PlainResponse("<html>weg</html>", "404 Not Found"), 404,
       "<html>weg</html>"},
      {"long plain", PlainResponse(big), 200, big},
      {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
       200, "hello"},
      {"capital hex size", Chunked({std::string(26, 'q')}), 200, std::string(26, 'q')},
      {"chunks across buffers", Chunked({big.substr(0, 3000), "x", big.substr(3000, 1023), ""}),
       200, big.substr(0, 3000) + "x" + big.substr(3000, 1023)},
      {"chunk extension and trailer",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;name=abc\r\nabc\r\n0\r\n"
       "Expires: never\r\n\r\n",
       200, "abc"},
      {"bytes past the length", PlainResponse("hello") + "garbage", 200, "hello"},
      {"HTTP/1.0 is not accepted", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", 0,
       std::nullopt},
      {"no status line", "Content-Length: 2\r\n\r\nok", 0, std::nullopt},
      {"closed before the end", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", 200,
       std::nullopt},
      {"closed before the last chunk",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", 200, std::nullopt},
      {"chunk-size line over 40 bytes",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5" + std::string(45, ' ') +
           "\r\nhello\r\n0\r\n\r\n",
       200, std::nullopt},
      {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nhello", 200, std::nullopt},
      {"length over the cap", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nx", 200,
       std::nullopt},
      {"chunk over the cap", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffff\r\nx",
       200, std::nullopt},
      {"header line that cannot fit",
       "HTTP/1.1 200 OK\r\nX: " + std::string(1100, 'x') + "\r\nContent-Length: 2\r\n\r\nok", 0,
       std::nullopt},
      {"empty body", PlainResponse(""), 200, std::nullopt},
  };
  const std::vector<std::vector<size_t>> splits = {{}, {1}, {2}, {3}, {7, 1}, {1023}, {1024, 5}};
  for (const Case& c : cases) {
    for (const std::vector<size_t>& split : splits) {
      SCOPED_TRACE(std::string(c.name) + " / first piece " +
                   std::to_string(split.empty() ? 0 : split[0]));
      Fetched f = FetchFromBytes(c.response, split);
      EXPECT_EQ(f.status, c.status);
      EXPECT_EQ(f.body, c.body);
    }
  }
}

// Without Content-Length or chunked coding the body is what came with the
// header block, so these cases deliver everything sent at once.
TEST(HttpResponse, HeaderNamesAreExact) {
  const std::pair<const char*, const char*> cases[] = {
      {"lower-case length", "HTTP/1.1 200 OK\r\ncontent-length: 10\r\n\r\nhi"},
      {"no blank before chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding:chunked\r\n\r\n2\r\nhi"},
      {"capital Chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n2\r\nhi"},
  };
  const std::string expected[] = {"hi", "2\r\nhi", "2\r\nhi"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].first);
    EXPECT_EQ(FetchFromBytes(cases[i].second, {}).body, expected[i]);
  }
}

TEST(HttpResponse, RecordsCharsetLocationAndCookies) {
  const std::pair<const char*, HttpCharset> charsets[] = {
      {"text/plain; charset=UTF-8", HttpCharset::kUtf8},
      {"text/plain; CHARSET=utf-16", HttpCharset::kUtf16},
      {"text/plain; charset=\"utf-8\"", HttpCharset::k8Bit},
      {"text/plain; charset=iso-8859-1", HttpCharset::k8Bit},
      {"text/plain", HttpCharset::k8Bit},
  };
  for (const auto& [type, charset] : charsets) {
    SCOPED_TRACE(type);
    std::string response =
        std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + type + "\r\nContent-Length: 1\r\n\r\nx";
    EXPECT_EQ(FetchFromBytes(response, {}).charset, charset);
  }

  HttpConnection c(std::make_unique<MemoryByteStream>(
      "HTTP/1.1 302 Found\r\nLocation: http://x/y\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n"));
  EXPECT_EQ(ReadHttpHeader(&c), 302);
  EXPECT_EQ(c.location, "http://x/y");
  EXPECT_EQ(c.cookies, "Set-Cookie: a=1Set-Cookie: b=2");
}

TEST(HttpRequest, SendsTheHeaderLinesInOrder) {
  TestServer server([](int fd, const std::string&) { SendPieces(fd, PlainResponse("1970")); });
  const std::string port = std::to_string(server.port());
  struct Case {
    const char* accept;
    const char* type;
    const char* cookie;
    const char* body;
    std::string wire;
  };
  const Case cases[] = {
      {"text/plain", "text/plain", "", "",
       "GET /WUNT2_Get.php?round=3 HTTP/1.1\r\nHost: 127.0.0.1:" + port +
           "\r\nAccept: text/plain\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n"},
      {"", "", "", "",
       "GET /WUNT2_Get.php?round=3 HTTP/1.1\r\nHost: 127.0.0.1:" + port +
           "\r\nConnection: close\r\n\r\n"},
      {"a", "b", "c=1", "xy",
       "GET /WUNT2_Get.php?round=3 HTTP/1.1\r\nHost: 127.0.0.1:" + port +
           "\r\nAccept: a\r\nCookie: c=1\r\nContent-Length: 2\r\nContent-Type: b\r\n"
           "Connection: close\r\n\r\nxy"},
  };
  for (const Case& c : cases) {
    auto connection =
        OpenHttpRequest("127.0.0.1", server.port(), "GET /WUNT2_Get.php?round=3 HTTP/1.1", c.accept,
                        c.type, c.cookie, c.body);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(FetchToMemory(connection.get()), "1970");
    CloseHttpConnection(std::move(connection));
  }
  std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), std::size(cases));
  for (size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(requests[i], cases[i].wire);
}

TEST(HttpRequest, RefusesWhatCannotBeSent) {
  EXPECT_EQ(OpenHttpRequest("127.0.0.1", test::UnusedPort(), "GET / HTTP/1.1", "", "", "", ""),
            nullptr);
  EXPECT_EQ(OpenHttpRequest("no-such-host.invalid", 80, "GET / HTTP/1.1", "", "", "", ""), nullptr);
  TestServer server([](int, const std::string&) {});
  EXPECT_EQ(OpenHttpRequest("127.0.0.1", server.port(), "GET /a HTTP/1.1\r\nX: y", "", "", "", ""),
            nullptr);
  EXPECT_EQ(FetchToMemory(nullptr), std::nullopt);
  EXPECT_EQ(ReadHttpBody(nullptr), 0);
}

// The header at once, then the body at `rate` bytes a second of a clock
// that moves on 100 ms with every receive.
class ClockedStream : public ByteStream {
 public:
  ClockedStream(std::string header, std::string body, int64_t rate, int64_t* now)
      : header_(std::move(header)), body_(std::move(body)), rate_(rate), now_(now) {}
  int64_t Receive(char* buffer, size_t capacity) override {
    if (!header_.empty()) {
      size_t n = header_.copy(buffer, capacity);
      header_.erase(0, n);
      return static_cast<int64_t>(n);
    }
    if (sent_ == body_.size()) return -1;
    *now_ += 100;
    size_t n = body_.copy(buffer, std::min(capacity, static_cast<size_t>(rate_ / 10)), sent_);
    sent_ += n;
    return static_cast<int64_t>(n);
  }
  void WaitReadable(int) override {}
  void Send(std::string_view) override {}

 private:
  std::string header_;
  std::string body_;
  int64_t rate_;
  int64_t* now_;
  size_t sent_ = 0;
};

// A trickle never falls silent and earns time with every byte; only the
// rate floor (1 KB/s over 30 s by default) ends it.
TEST(HttpResponse, ABodyBelowTheMinimumRateFailsAsTooSlow) {
  const std::string body = Letters(100000, 5);
  const struct {
    int64_t rate;
    bool arrives;
  } cases[] = {{2000, true}, {1100, true}, {900, false}, {0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    int64_t now = 0;
    HttpLimits limits;
    limits.clock = [&now] { return now; };
    HttpConnection connection(
        std::make_unique<ClockedStream>("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", body,
                                        c.rate, &now),
        limits);
    EXPECT_EQ(FetchToMemory(&connection).has_value(), c.arrives);
    EXPECT_EQ(connection.too_slow, !c.arrives);
  }
}

// A body just faster than the time it earns would never run out of time;
// the ceiling ends it, and says so.
TEST(HttpResponse, EarnedTimeStopsAtTheCeiling) {
  const std::string body = Letters(100000, 6);
  const struct {
    int max_total_ms;
    bool arrives;
  } cases[] = {{0, true}, {60000, true}, {20000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.max_total_ms);
    int64_t now = 0;
    HttpLimits limits;
    limits.clock = [&now] { return now; };
    limits.total_ms = 5000;
    limits.earned_rate = 1900;
    limits.max_total_ms = c.max_total_ms;
    HttpConnection connection(
        std::make_unique<ClockedStream>("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", body,
                                        2000, &now),
        limits);
    EXPECT_EQ(FetchToMemory(&connection).has_value(), c.arrives);
    EXPECT_EQ(connection.out_of_time, !c.arrives);
    EXPECT_FALSE(connection.too_slow);
  }
}

// Too large is a cause of its own: the same request would be too large
// again, while a broken one may succeed the next time.
TEST(HttpResponse, ABodyOverTheCapIsToldFromOtherFailures) {
  const struct {
    const char* name;
    std::string response;
    bool too_large;
  } cases[] = {
      {"announced length", "HTTP/1.1 200 OK\r\nContent-Length: 101\r\n\r\nx", true},
      {"one chunk", Chunked({std::string(101, 'c')}), true},
      {"chunks together", Chunked({std::string(60, 'c'), std::string(60, 'd')}), true},
      {"at the cap", Chunked({std::string(60, 'c'), std::string(40, 'd')}), false},
      {"broken off", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nx", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HttpLimits limits;
    limits.max_body = 100;
    HttpConnection connection(std::make_unique<MemoryByteStream>(c.response), limits);
    FetchToMemory(&connection);
    EXPECT_EQ(connection.too_large, c.too_large);
  }
}

// Small bodies that each finish within a window still add up to one.
TEST(HttpResponse, SmallSlowBodiesFromOneServerShareTheWindow) {
  int64_t now = 0;
  RateWindow window;
  HttpLimits limits;
  limits.clock = [&now] { return now; };
  limits.rate_window = &window;
  int fetched = 0;
  for (; fetched < 40; ++fetched) {
    HttpConnection connection(
        std::make_unique<ClockedStream>("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n",
                                        Letters(1000, fetched), 500, &now),
        limits);
    if (!FetchToMemory(&connection)) {
      EXPECT_TRUE(connection.too_slow);
      break;
    }
  }
  EXPECT_EQ(fetched, 14) << "two seconds of body time each: the fifteenth crosses 30 s";
}

class HttpOverSocket : public ::testing::Test {
 protected:
  std::optional<std::string> Fetch(TestServer::Handler handler, HttpLimits limits = {}) {
    TestServer server(std::move(handler));
    auto connection =
        OpenHttpRequest("127.0.0.1", server.port(), "GET /x HTTP/1.1", "", "", "", "", limits);
    if (!connection) return std::nullopt;
    return FetchToMemory(connection.get());
  }
};

TEST_F(HttpOverSocket, DeliversSlowAndOddlyCutResponses) {
  std::string body = Letters(200000, 2);
  std::vector<std::string> chunks;
  std::mt19937 rng(3);
  for (size_t at = 0; at < body.size();) {
    size_t n = std::min<size_t>(body.size() - at, 1 + rng() % 5000);
    chunks.push_back(body.substr(at, n));
    at += n;
  }
  std::string response = Chunked(chunks);
  EXPECT_EQ(Fetch([&](int fd, const std::string&) { SendPieces(fd, response, 777); }), body);
  std::string small = PlainResponse("0123456789");
  EXPECT_EQ(Fetch([&](int fd, const std::string&) { SendPieces(fd, small, 1, milliseconds(2)); }),
            "0123456789");
}

TEST_F(HttpOverSocket, EarlyCloseAndSilenceFail) {
  HttpLimits quick;
  quick.header_ms = 200;
  quick.silence_ms = 200;
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Fetch(
                [](int fd, const std::string&) {
                  SendPieces(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
                },
                quick),
            std::nullopt);
  EXPECT_EQ(Fetch(
                [](int fd, const std::string&) {
                  SendPieces(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
                  std::this_thread::sleep_for(milliseconds(600));
                },
                quick),
            std::nullopt);
  EXPECT_EQ(
      Fetch([](int, const std::string&) { std::this_thread::sleep_for(milliseconds(600)); }, quick),
      std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5))
      << "silence must end a fetch well before the server gives up";
}

TEST(FetchToFile, WritesOnlyCompleteBodies) {
  std::filesystem::path dir = std::filesystem::path(WUNT_BINARY_DIR) / "http_fetch_to_file";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::path target = dir / "1970_WUNT";
  std::string body = Letters(10000, 4);
  std::string response;
  TestServer server([&response](int fd, const std::string&) { SendPieces(fd, response, 1000); });
  auto fetch = [&] {
    auto c = OpenHttpRequest("127.0.0.1", server.port(), "GET /WUNT2_3/1970 HTTP/1.1", "text/plain",
                             "text/plain", "", "");
    return FetchToFile(c.get(), target);
  };

  response = PlainResponse(body);
  ASSERT_TRUE(fetch());
  EXPECT_EQ(ReadWholeFile(target), body);

  response = PlainResponse(body).substr(0, 5000);  // cut off
  EXPECT_FALSE(fetch());
  EXPECT_EQ(ReadWholeFile(target), body) << "a failed fetch leaves the old file alone";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1)
      << "no temporary file left behind";

  EXPECT_FALSE(FetchToFile(nullptr, target));

  response = PlainResponse(Letters(10000, 5));
  size_t allowed = 0;
  auto c =
      OpenHttpRequest("127.0.0.1", server.port(), "GET /WUNT2_3/1970 HTTP/1.1", "", "", "", "");
  EXPECT_FALSE(FetchToFile(c.get(), target, [&allowed](uint64_t bytes) {
    allowed += bytes;
    return allowed <= 5000;
  }));
  EXPECT_EQ(ReadWholeFile(target), body) << "a refused write fails the fetch";
}

}  // namespace
}  // namespace wunt
