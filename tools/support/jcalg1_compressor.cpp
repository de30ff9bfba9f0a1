#include "tools/support/jcalg1_compressor.h"

#include <algorithm>
#include <vector>

#include "updater/jcalg1.h"

namespace wunt {
namespace {

void AppendLe32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

constexpr int kHashBits = 16;
constexpr size_t kWindow = size_t{1} << 17;
constexpr int kMaxChain = 32;
constexpr size_t kMaxLength = 1 << 16;

uint32_t Hash3(const unsigned char* p) {
  uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
  return (v * 2654435761u) >> (32 - kHashBits);
}

uint64_t LengthBonus(size_t offset) {
  if (offset < 128) return 4;
  if (offset < 0x27F) return 0;
  if (offset < 0x37FF) return 1;
  if (offset < 0x10000) return 2;
  return 3;
}

class Compressor {
 public:
  explicit Compressor(std::string_view data)
      : data_(reinterpret_cast<const unsigned char*>(data.data())),
        size_(data.size()),
        head_(size_t{1} << kHashBits, -1),
        prev_(kWindow, -1) {}

  std::string Run() {
    // 8-bit literals without a minimum.
    bits_.Put(0b0010000, 7);
    bits_.Put(0b01, 2);
    size_t pos = 0;
    while (pos < size_) {
      SwitchBaseIfDue(pos);
      size_t step = EncodeAt(pos);
      for (size_t i = 0; i < step; ++i) Insert(pos + i);
      pos += step;
    }
    return bits_.Finish();
  }

 private:
  // The wider offset field pays off once the window reaches far back.
  void SwitchBaseIfDue(size_t pos) {
    int wanted = pos > 0x10000 ? 10 : pos > 0xC000 ? 9 : 8;
    if (wanted == base_) return;
    base_ = wanted;
    bits_.Put(0, 3);
    bits_.Put(0, 7);
    bits_.Put(1, 2);
    bits_.Put(static_cast<uint32_t>(base_), 4);
  }

  size_t MatchLength(size_t pos, size_t offset) const {
    size_t limit = std::min(size_ - pos, kMaxLength);
    size_t n = 0;
    while (n < limit && data_[pos + n] == data_[pos + n - offset]) ++n;
    return n;
  }

  void Insert(size_t pos) {
    if (pos + 3 > size_) return;
    uint32_t h = Hash3(data_ + pos);
    prev_[pos % kWindow] = head_[h];
    head_[h] = static_cast<int64_t>(pos);
  }

  struct Match {
    size_t length = 0;
    size_t offset = 0;
  };

  Match FindMatch(size_t pos) const {
    Match best;
    if (last_offset_ <= pos) {
      size_t n = MatchLength(pos, last_offset_);
      if (n >= 2) best = {n, last_offset_};
    }
    if (pos + 3 > size_) return best;
    int64_t candidate = head_[Hash3(data_ + pos)];
    for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain) {
      size_t offset = pos - static_cast<size_t>(candidate);
      if (offset > kWindow - 1) break;
      size_t n = MatchLength(pos, offset);
      // A repeated offset is so cheap that only a clearly longer match beats it.
      if (n > best.length + (best.offset == last_offset_ ? 1 : 0)) best = {n, offset};
      int64_t next = prev_[static_cast<size_t>(candidate) % kWindow];
      if (next >= candidate) break;
      candidate = next;
    }
    return best;
  }

  // Emits one token at `pos` and returns how many bytes it covers.
  size_t EncodeAt(size_t pos) {
    Match match = FindMatch(pos);
    // One step of lazy matching: a clearly longer match one byte later wins.
    if (match.length >= 2 && match.offset != last_offset_ && pos + 1 < size_ &&
        FindMatch(pos + 1).length > match.length + 1) {
      EncodeByte(pos);
      return 1;
    }
    size_t best_len = match.length;
    size_t best_offset = match.offset;
    if (best_len >= 2 && best_offset == last_offset_) {
      bits_.Put(0b01, 2);
      bits_.Gamma(2);
      bits_.Gamma(best_len);
      return best_len;
    }
    if (best_len >= 2 && best_offset < 128 && best_len <= 5) {
      bits_.Put(0, 3);
      bits_.Put(static_cast<uint32_t>(best_offset), 7);
      bits_.Put(static_cast<uint32_t>(best_len - 2), 2);
      last_offset_ = best_offset;
      return best_len;
    }
    if (best_len >= 3 && best_len >= LengthBonus(best_offset) + 2) {
      bits_.Put(0b01, 2);
      bits_.Gamma((best_offset >> base_) + 3);
      bits_.Put(static_cast<uint32_t>(best_offset & ((size_t{1} << base_) - 1)), base_);
      bits_.Gamma(best_len - LengthBonus(best_offset));
      last_offset_ = best_offset;
      return best_len;
    }
    EncodeByte(pos);
    return 1;
  }

  void EncodeByte(size_t pos) {
    unsigned char byte = data_[pos];
    if (byte == 0) {
      bits_.Put(0b001, 3);
      bits_.Put(1, 4);
      return;
    }
    for (size_t distance = 1; distance <= 14 && distance <= pos; ++distance) {
      if (data_[pos - distance] == byte) {
        bits_.Put(0b001, 3);
        bits_.Put(static_cast<uint32_t>(distance + 1), 4);
        return;
      }
    }
    bits_.Put(1, 1);
    bits_.Put(byte, 8);
  }

  const unsigned char* data_;
  size_t size_;
  std::vector<int64_t> head_;
  std::vector<int64_t> prev_;
  Jcalg1BitWriter bits_;
  size_t last_offset_ = 1;
  int base_ = 8;
};

}  // namespace

void Jcalg1BitWriter::Put(uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    word_ = (word_ << 1) | ((value >> i) & 1);
    if (++used_ == 32) {
      AppendLe32(words_, word_);
      word_ = 0;
      used_ = 0;
    }
  }
}

void Jcalg1BitWriter::Gamma(uint64_t value) {
  int top = 63;
  while (top > 0 && ((value >> top) & 1) == 0) --top;
  // The leading 1 is implicit; each further bit is followed by "more" flag.
  for (int i = top - 1; i >= 0; --i) {
    Put(static_cast<uint32_t>((value >> i) & 1), 1);
    Put(i > 0 ? 1 : 0, 1);
  }
}

std::string Jcalg1BitWriter::Finish() {
  Put(0, 3);
  Put(0, 7);
  Put(0, 2);
  if (used_ > 0) Put(0, 32 - used_);
  return words_;
}

std::string Jcalg1Header(uint32_t size, uint32_t checksum) {
  std::string header = "JC";
  AppendLe32(header, size);
  AppendLe32(header, checksum);
  return header;
}

std::string CompressJcalg1(std::string_view data) {
  return Jcalg1Header(static_cast<uint32_t>(data.size()), Jcalg1Checksum(data)) +
         Compressor(data).Run();
}

std::string MakeArchiveEntry(std::string_view data) {
  std::string stream = CompressJcalg1(data);
  std::string_view stored = stream.size() < data.size() ? std::string_view(stream) : data;
  std::string entry;
  AppendLe32(entry, static_cast<uint32_t>(data.size()));
  AppendLe32(entry, static_cast<uint32_t>(stored.size()));
  entry += stored;
  return entry;
}

}  // namespace wunt
