#pragma once
// A small greedy compressor for the archive entry format, so tests, fuzz seeds
// and the local update server can make archives of their own.

#include <cstdint>
#include <string>
#include <string_view>

namespace wunt {

// Collects bits MSB-first into little-endian 32-bit words, the order the
// decoder reads them in. Also lets tests hand-craft token sequences.
class Jcalg1BitWriter {
 public:
  // The low `count` bits of `value` (count 0 to 32), most significant first.
  void Put(uint32_t value, int count);
  // Variable-length number, 2 or more.
  void Gamma(uint64_t value);
  // The end token, zero padding to a whole word, and the words so far.
  std::string Finish();

 private:
  std::string words_;
  uint32_t word_ = 0;
  int used_ = 0;
};

// A whole stream: header with the size and checksum of `data`, then tokens.
std::string CompressJcalg1(std::string_view data);

// One game-year archive entry: sizes and the compressed stream, or the plain
// bytes when compressing would not make them smaller (equal sizes mean plain).
std::string MakeArchiveEntry(std::string_view data);

// A header for hand-made token streams.
std::string Jcalg1Header(uint32_t size, uint32_t checksum);

}  // namespace wunt
