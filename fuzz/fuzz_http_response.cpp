// The HTTP response reader (header and body, chunked or not) fed from bytes.
// The first byte picks how the rest is cut into receives.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "updater/http_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<size_t> pieces;
  if (data[0] != 0) pieces = {data[0] % 64u + 1, data[0] / 64u + 1};
  std::string response(reinterpret_cast<const char*>(data) + 1, size - 1);
  wunt::HttpLimits limits;
  limits.max_body = 1 << 20;
  wunt::HttpConnection connection(std::make_unique<wunt::MemoryByteStream>(response, pieces),
                                  limits);
  std::optional<std::string> body = wunt::FetchToMemory(&connection);
  // The body never holds more than was sent.
  if (body && body->size() > response.size()) __builtin_trap();
  return 0;
}
