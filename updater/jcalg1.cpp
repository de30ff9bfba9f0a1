#include "updater/jcalg1.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace wunt {
namespace {

// The four data bits of a byte read as gamma pairs (bits 7, 5, 3, 1).
constexpr auto kPairData = [] {
  std::array<uint8_t, 256> table{};
  for (size_t byte = 0; byte < 256; ++byte) {
    table[byte] = static_cast<uint8_t>((byte >> 7 & 1) << 3 | (byte >> 5 & 1) << 2 |
                                       (byte >> 3 & 1) << 1 | (byte >> 1 & 1));
  }
  return table;
}();

uint32_t LoadLe32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Bits come MSB-first out of little-endian 32-bit words. The accumulator keeps
// the unread bits left-aligned so that most reads need no reload. A read past
// the last whole word sets `failed` and yields zero bits, which steers every
// loop of the decoder towards its end; the caller checks `failed` per token.
class BitReader {
 public:
  BitReader(const unsigned char* begin, const unsigned char* end) : next_(begin), end_(end) {}

  bool failed() const { return failed_; }

  // Enough words left for a token of the fast loop (see kFastInput).
  bool CanRunFast() const { return end_ - next_ >= kFastInput; }
  // Fill() for the fast loop, which has checked that the words are there:
  // tops the accumulator up when it holds fewer than `needed` bits (at most
  // 33, so that a whole word fits).
  [[gnu::always_inline]] void FastFill(int needed) {
    if (avail_ < needed) {
      acc_ |= uint64_t{LoadLe32(next_)} << (32 - avail_);
      next_ += 4;
      avail_ += 32;
    }
  }
  // 0 to 32 bits, at most as many as the accumulator holds.
  uint32_t FastBits(int count) {
    uint32_t value = static_cast<uint32_t>(acc_ >> (63 - count) >> 1);
    Skip(count);
    return value;
  }

  // Tops the accumulator up to more than 32 bits while words remain.
  void Fill() {
    if (avail_ <= 32 && end_ - next_ >= 4) {
      acc_ |= uint64_t{LoadLe32(next_)} << (32 - avail_);
      next_ += 4;
      avail_ += 32;
    }
  }
  // The next `count` bits (1 to 32, at most as many as held) without taking them.
  uint32_t Peek(int count) const { return static_cast<uint32_t>(acc_ >> (64 - count)); }
  void Skip(int count) {
    acc_ <<= count;
    avail_ -= count;
  }

  uint32_t Bit() {
    if (avail_ == 0 && !Refill(1)) return 0;
    uint32_t bit = static_cast<uint32_t>(acc_ >> 63);
    acc_ <<= 1;
    --avail_;
    return bit;
  }

  // 0 to 32 bits, most significant first.
  uint32_t Bits(int count) {
    if (count == 0) return 0;
    if (avail_ < count && !Refill(count)) return 0;
    uint32_t value = static_cast<uint32_t>(acc_ >> (64 - count));
    acc_ <<= count;
    avail_ -= count;
    return value;
  }

  // Values of 2 and more; longer than 32 bits is no valid stream of ours.
  [[gnu::always_inline]] uint64_t SlowGamma() {
    uint64_t value = 1;
    for (;;) {
      uint32_t pair = Bits(2);
      value = value * 2 + (pair >> 1);
      if ((pair & 1) == 0) return value;
      if (value >= (uint64_t{1} << 32)) {
        failed_ = true;
        return 0;
      }
    }
  }

  [[gnu::always_inline]] uint64_t Gamma() {
    Fill();
    if (avail_ >= 16) return FastGamma();
    return SlowGamma();
  }

  // Up to eight bit pairs (values below 512) straight from the accumulator,
  // which must hold at least 16 bits.
  [[gnu::always_inline]] uint64_t FastGamma() {
    // The "more" flags that are 0, where they sit in the accumulator: the
    // count of bits to take then comes straight from the first of them, and
    // the next token waits for nothing longer.
    uint64_t stops = ~acc_ & 0x5555'0000'0000'0000;
    if (stops == 0) [[unlikely]] {
      return SlowGamma();
    }
    int used = std::countl_zero(stops) + 1;
    int pairs = used / 2;
    uint32_t top = static_cast<uint32_t>(acc_ >> 48);
    uint32_t data = (uint32_t{kPairData[top >> 8]} << 4 | kPairData[top & 0xFF]) >> (8 - pairs);
    Skip(used);
    return (uint64_t{1} << pairs) | data;
  }

 private:
  // A token of the fast loop reads at most six words without a check: one
  // fill at its start, up to three through the checked reads when its first
  // gamma value is too long for the accumulator, and two fills after that.
  static constexpr ptrdiff_t kFastInput = 32;

  bool Refill(int needed) {
    while (avail_ <= 32 && end_ - next_ >= 4) {
      acc_ |= uint64_t{LoadLe32(next_)} << (32 - avail_);
      next_ += 4;
      avail_ += 32;
    }
    if (avail_ >= needed) return true;
    failed_ = true;
    return false;
  }

  const unsigned char* next_;
  const unsigned char* end_;
  uint64_t acc_ = 0;
  int avail_ = 0;
  bool failed_ = false;
};

// Offsets vary from match to match, so this is worked out without branches.
uint64_t LengthBonus(uint64_t offset) {
  return uint64_t{offset < 128} * 4 + uint64_t{offset >= 0x27F} + uint64_t{offset >= 0x37FF} +
         uint64_t{offset >= 0x10000};
}

constexpr uint64_t kWord = 8;
constexpr uint64_t kWide = 16;

// Copies a match whose offset and length have been checked against the
// output. It may write up to kWide - 1 bytes past the end of the match.
[[gnu::always_inline]] inline void CopyMatch(char* dst, uint64_t offset, uint64_t length) {
  if (offset < kWord) {
    // Start the pattern byte by byte; after that any multiple of the
    // offset of at least a word repeats it too.
    uint64_t head = std::min<uint64_t>(length, kWord);
    const char* pattern = dst - offset;
    for (uint64_t i = 0; i < head; ++i) dst[i] = pattern[i];
    if (head == length) return;
    dst += head;
    length -= head;
    offset = (kWord + offset - 1) / offset * offset;
  }
  const char* src = dst - offset;
  if (offset >= kWide) {
    // Far enough back for whole 16-byte steps: half the stores.
    for (uint64_t i = 0; i < length; i += kWide) std::memcpy(dst + i, src + i, kWide);
    return;
  }
  for (uint64_t i = 0; i < length; i += kWord) std::memcpy(dst + i, src + i, kWord);
}

// Output that grows towards the declared size only as it is produced, so a
// tiny stream that claims a huge size costs nothing until it delivers. The
// buffer keeps slack behind its capacity so that copies may run over in
// whole 8- or 16-byte steps.
class Output {
 public:
  // `storage` is kept outside so that the decoder's hot state never has its
  // address taken and can live in registers.
  Output(std::string* storage, uint64_t size, size_t stored) : storage_(storage), size_(size) {
    uint64_t first = std::max<uint64_t>(uint64_t{1} << 20, uint64_t{stored} * 16);
    Reserve(std::min(size_, first));
  }

  bool Put(char byte) {
    if (pos_ == capacity_ && !Grow(1)) return false;
    data_[pos_++] = byte;
    return true;
  }

  bool Copy(uint64_t offset, uint64_t length) {
    if (offset == 0 || offset > pos_) return false;
    if (length > capacity_ - pos_ && !Grow(length)) return false;
    CopyMatch(data_ + pos_, offset, length);
    pos_ += length;
    return true;
  }

  // The fast loop writes through these between its own checks.
  char* data() const { return data_; }
  uint64_t capacity() const { return capacity_; }
  uint64_t pos() const { return pos_; }
  void set_pos(uint64_t pos) { pos_ = pos; }

  void Finish() { storage_->resize(pos_); }

 private:
  void Reserve(uint64_t capacity) {
    capacity_ = capacity;
    data_ = Resize(storage_, capacity_ + kWide);
  }

  [[gnu::noinline]] static char* Resize(std::string* storage, uint64_t size) {
    storage->resize(size);
    return storage->data();
  }

  bool Grow(uint64_t needed) {
    if (needed > size_ - pos_) return false;
    Reserve(std::max<uint64_t>(pos_ + needed, std::min<uint64_t>(size_, capacity_ * 2)));
    return true;
  }

  std::string* storage_;
  char* data_ = nullptr;
  uint64_t size_;
  uint64_t pos_ = 0;
  uint64_t capacity_ = 0;
};

// What earlier tokens set for the ones after them.
struct TokenState {
  uint64_t last_offset = 1;
  int base = 8;
  int literal_width = 8;
  uint32_t literal_min = 0;
};

// The rest of a long match after its "01" prefix.
[[gnu::always_inline]] inline bool LongMatch(BitReader& in, Output& out, TokenState& state) {
  uint64_t high = in.Gamma();
  uint64_t length;
  if (high == 2) {
    length = in.Gamma();
  } else {
    uint64_t offset = ((high - 3) << state.base) | in.Bits(state.base);
    state.last_offset = offset;
    length = in.Gamma() + LengthBonus(offset);
  }
  return !in.failed() && out.Copy(state.last_offset, length);
}

enum class Step { kGoOn, kEnd, kBad };

// Decodes the common tokens (literals, matches, one-byte tokens) without a
// bounds check per read while at least a token's worth of words and of room
// remain; it stops before any other token and near the ends, for
// CheckedToken. The state lives in locals here, where it can stay in
// registers. False on a bad stream.
[[gnu::noinline]] bool FastTokens(BitReader& reader, Output& out, TokenState& state) {
  constexpr uint64_t kRoom = 8;  // the most one literal or short token writes
  BitReader in = reader;
  TokenState st = state;
  char* data = out.data();
  uint64_t pos = out.pos();
  uint64_t capacity = out.capacity();
  bool ok = true;
  while (in.CanRunFast() && capacity - pos >= kRoom) {
    in.FastFill(33);
    uint32_t head = in.Peek(12);
    if (head & 0x800) {
      uint32_t value = (head >> (11 - st.literal_width)) & ((1u << st.literal_width) - 1);
      in.Skip(1 + st.literal_width);
      data[pos++] = static_cast<char>((value + st.literal_min) & 0xFF);
      continue;
    }
    if (head & 0x400) {
      // With more than 32 bits at the start a match rarely needs a fill
      // before its end, so these checks predict well where a fill at every
      // step would often take the wrong branch.
      in.Skip(2);
      uint64_t high = in.FastGamma();
      uint64_t length;
      if (high == 2) {
        in.FastFill(16);
        length = in.FastGamma();
      } else {
        in.FastFill(st.base);
        uint64_t offset = ((high - 3) << st.base) | in.FastBits(st.base);
        st.last_offset = offset;
        in.FastFill(16);
        length = in.FastGamma() + LengthBonus(offset);
      }
      uint64_t offset = st.last_offset;
      if (in.failed() || offset == 0 || offset > pos) {
        ok = false;
        break;
      }
      if (length > capacity - pos) {
        // Needs a larger buffer (or is too long): the checked copy decides.
        out.set_pos(pos);
        if (!out.Copy(offset, length)) {
          ok = false;
          break;
        }
        data = out.data();
        pos = out.pos();
        capacity = out.capacity();
        continue;
      }
      CopyMatch(data + pos, offset, length);
      pos += length;
      continue;
    }
    if (head & 0x200) {
      uint32_t v = (head >> 5) & 0xF;
      if (v == 0) break;  // literal mode or raw block
      in.Skip(7);
      if (v == 1) {
        data[pos++] = 0;
        continue;
      }
      if (v - 1 > pos) {
        ok = false;
        break;
      }
      data[pos] = data[pos - (v - 1)];
      ++pos;
      continue;
    }
    uint32_t distance = (head >> 2) & 0x7F;
    if (distance == 0) break;  // end of stream or offset width
    in.Skip(12);
    if (distance > pos) {
      ok = false;
      break;
    }
    st.last_offset = distance;
    CopyMatch(data + pos, distance, (head & 3) + 2);
    pos += (head & 3) + 2;
  }
  reader = in;
  state = st;
  out.set_pos(pos);
  return ok;
}

// One token through the checked reads.
Step CheckedToken(BitReader& in, Output& out, TokenState& st) {
  if (in.Bit()) {
    uint32_t value = in.Bits(st.literal_width);
    return out.Put(static_cast<char>((value + st.literal_min) & 0xFF)) ? Step::kGoOn : Step::kBad;
  }
  if (in.Bit()) return LongMatch(in, out, st) ? Step::kGoOn : Step::kBad;
  if (!in.Bit()) {
    uint32_t distance = in.Bits(7);
    uint32_t k = in.Bits(2);
    if (in.failed()) return Step::kBad;
    if (distance != 0) {
      st.last_offset = distance;
      return out.Copy(distance, k + 2) ? Step::kGoOn : Step::kBad;
    }
    if (k == 0) return Step::kEnd;
    st.base = static_cast<int>(in.Bits(static_cast<int>(k) + 3));
    // Wider offsets than 32 bits cannot address any output we accept.
    return st.base > 32 ? Step::kBad : Step::kGoOn;
  }
  uint32_t v = in.Bits(4);
  if (v == 1) return out.Put(0) ? Step::kGoOn : Step::kBad;
  if (v >= 2) return !in.failed() && out.Copy(v - 1, 1) ? Step::kGoOn : Step::kBad;
  if (!in.Bit()) {
    uint32_t wide = in.Bit();
    st.literal_width = 7 + static_cast<int>(wide);
    st.literal_min = wide ? 0 : in.Bits(8);
    return Step::kGoOn;
  }
  do {
    for (int i = 0; i < 256; ++i) {
      uint32_t byte = in.Bits(8);
      if (in.failed() || !out.Put(static_cast<char>(byte))) return Step::kBad;
    }
  } while (in.Bit());
  return Step::kGoOn;
}

}  // namespace

uint32_t Jcalg1Checksum(std::string_view data) {
  if (data.size() < 4) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  uint32_t sum = 0;
  auto mix = [&sum](uint32_t word) {
    sum += word;
    sum ^= std::rotl(word, 1) + 1;
  };
  size_t whole = data.size() / 4;
  for (size_t i = 0; i < whole; ++i) mix(LoadLe32(bytes + 4 * i));
  if (data.size() % 4 != 0) mix(LoadLe32(bytes + data.size() - 4));
  return sum;
}

std::optional<uint32_t> Jcalg1DeclaredSize(std::string_view stream) {
  if (stream.size() < kJcalg1HeaderSize || stream[0] != 'J' || stream[1] != 'C') {
    return std::nullopt;
  }
  return LoadLe32(reinterpret_cast<const unsigned char*>(stream.data()) + 2);
}

std::optional<std::string> DecodeJcalg1(std::string_view stream, uint64_t max_output) {
  std::optional<uint32_t> declared = Jcalg1DeclaredSize(stream);
  if (!declared || *declared > max_output) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(stream.data());
  uint32_t checksum = LoadLe32(bytes + 6);

  BitReader in(bytes + kJcalg1HeaderSize, bytes + stream.size());
  std::string result;
  Output out(&result, *declared, stream.size());
  TokenState state;
  for (;;) {
    if (!FastTokens(in, out, state)) return std::nullopt;
    Step step = CheckedToken(in, out, state);
    if (step == Step::kBad || in.failed()) return std::nullopt;
    if (step == Step::kEnd) break;
  }
  if (out.pos() != *declared) return std::nullopt;
  out.Finish();
  if (checksum != 0 && Jcalg1Checksum(result) != checksum) return std::nullopt;
  return result;
}

}  // namespace wunt
