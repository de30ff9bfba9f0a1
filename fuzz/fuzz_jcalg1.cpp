// The archive entry decoder on arbitrary bytes: as a whole stream, and behind
// a valid header so the token decoder is reached on every input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "updater/jcalg1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr uint64_t kLimit = uint64_t{1} << 20;
  wunt::DecodeJcalg1(input, kLimit);
  if (size >= 2) {
    // The first two bytes pick the declared size; no checksum.
    uint32_t declared = uint32_t{data[0]} | uint32_t{data[1]} << 8;
    std::string stream = "JC";
    for (int i = 0; i < 4; ++i) stream.push_back(static_cast<char>((declared >> (8 * i)) & 0xFF));
    stream.append(4, '\0');
    stream.append(input.substr(2));
    // In a buffer of its own size, so that a read past the end shows.
    std::vector<char> exact(stream.begin(), stream.end());
    std::optional<std::string> out =
        wunt::DecodeJcalg1(std::string_view(exact.data(), exact.size()), kLimit);
    if (out && out->size() != declared) __builtin_trap();
  }
  return 0;
}
