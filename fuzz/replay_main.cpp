// Replays stored fuzz inputs (and a fixed set of pseudo-random ones) through a
// fuzz target, for builds without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], ec)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++runs;
    }
  }
  std::mt19937 rng(12345);
  for (int i = 0; i < 500; ++i) {
    std::vector<uint8_t> bytes(rng() % 2048);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++runs;
  }
  std::printf("replayed %zu inputs\n", runs);
  return 0;
}
