#include "updater/jcalg1.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tools/support/jcalg1_compressor.h"

namespace wunt {
namespace {

std::string FromHex(std::string_view hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<char>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}

struct Vector {
  std::string plain;
  const char* stream;
};

TEST(Jcalg1Decode, KnownStreams) {
  const Vector vectors[] = {
      {"a", "4a43 01000000 00000000 0040d820"},
      {std::string(20, 'a'), "4a43 14000000 22323232 7051d820 00000090"},
      {"abcabcabcabcabcabc", "4a43 12000000 2d2e3c25 40c03020 851b30c1 00000000"},
      {[] {
         std::string s;
         for (int i = 0; i < 10; ++i) s += "AB";
         return s + std::string(12, '\0');
       }(),
       "4a43 20000000 c3cfc8cf e1600020 58841730 00800807"},
      {"ababab", "4a43 06000000 c0cdc7cd 406cd820 00000014"},
      {std::string("Hi there\0\0Hi there\0", 19),
       "4a43 13000000 9ece2486 64541020 62646ac0 249162e9 004042c1"},
  };
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.stream);
    std::optional<std::string> decoded = DecodeJcalg1(FromHex(v.stream));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, v.plain);
  }
  // Our compressor speaks the same bit order as the reference.
  EXPECT_EQ(CompressJcalg1("a"), FromHex(vectors[0].stream));
}

TEST(Jcalg1Checksum, ShortAndOddLengths) {
  EXPECT_EQ(Jcalg1Checksum("abc"), 0u);
  EXPECT_EQ(Jcalg1Checksum(std::string(20, 'a')), 0x32323222u);
  // The tail word overlaps the last whole word, so changing its first byte
  // changes the sum twice.
  EXPECT_NE(Jcalg1Checksum("abcdefg"), Jcalg1Checksum("abcxefg"));
}

std::string Pseudo(size_t size, uint32_t seed, int alphabet) {
  std::mt19937 rng(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>('0' + rng() % static_cast<uint32_t>(alphabet));
  return s;
}

std::string IniLike(size_t size) {
  std::string s;
  std::mt19937 rng(7);
  for (int group = 0; s.size() < size; ++group) {
    s += '[';
    s += std::to_string(1000 + group);
    s += "]\r\n";
    for (int key = 0; key < 12; ++key) {
      s += std::to_string(key) + " = " + std::to_string(rng() % 100000) + "\r\n";
    }
  }
  s.resize(size);
  return s;
}

TEST(Jcalg1Compressor, RoundTrips) {
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes.push_back(static_cast<char>(i));
  const std::string inputs[] = {
      "",
      "x",
      std::string(1, '\0'),
      "xy",
      std::string(100000, '\0'),
      all_bytes + all_bytes,
      Pseudo(5000, 1, 256),
      Pseudo(70000, 2, 4),
      IniLike(300000),  // passes both offset-width switches
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input.size());
    std::string stream = CompressJcalg1(input);
    EXPECT_EQ((stream.size() - kJcalg1HeaderSize) % 4, 0u);
    std::optional<std::string> decoded = DecodeJcalg1(stream);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, input);
  }
  EXPECT_LT(CompressJcalg1(IniLike(300000)).size(), 300000u / 2);
}

// 8-bit literals for `text`, after the token that selects them.
void PutLiterals(Jcalg1BitWriter& w, std::string_view text) {
  w.Put(0b001000001, 9);
  for (char c : text) {
    w.Put(1, 1);
    w.Put(static_cast<uint8_t>(c), 8);
  }
}

// Sets the width of the offset field from a `size_bits`-bit value (4 to 6).
void PutOffsetWidth(Jcalg1BitWriter& w, uint32_t width, int size_bits) {
  w.Put(0, 3);
  w.Put(0, 7);
  w.Put(static_cast<uint32_t>(size_bits - 3), 2);
  w.Put(width, size_bits);
}

// Streams a compressor of ours would never make, but a valid one might.
TEST(Jcalg1Decode, HandMadeTokens) {
  struct Case {
    const char* name;
    std::string plain;
    void (*write)(Jcalg1BitWriter&);
  };
  const Case cases[] = {
      {"seven-bit literals with a minimum", "AZ",
       [](Jcalg1BitWriter& w) {
         w.Put(0b00100000, 8);
         w.Put(0, 1);  // width 7
         w.Put(0x40, 8);
         w.Put(1, 1);
         w.Put(1, 7);  // 0x41
         w.Put(1, 1);
         w.Put(26, 7);
       }},
      {"raw blocks", std::string(256, 'r') + std::string(256, 's'),
       [](Jcalg1BitWriter& w) {
         w.Put(0b00100001, 8);
         for (int i = 0; i < 256; ++i) w.Put('r', 8);
         w.Put(1, 1);
         for (int i = 0; i < 256; ++i) w.Put('s', 8);
         w.Put(0, 1);
       }},
      {"wider offset field", "abcabcabc",
       [](Jcalg1BitWriter& w) {
         PutLiterals(w, "abc");
         PutOffsetWidth(w, 12, 4);
         w.Put(0b01, 2);  // new offset 3: high part 0 (+3), 12 low bits
         w.Gamma(3);
         w.Put(3, 12);
         w.Gamma(2);  // + 4 for a near offset = 6 bytes
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Jcalg1BitWriter w;
    c.write(w);
    std::string stream = Jcalg1Header(static_cast<uint32_t>(c.plain.size()), 0) + w.Finish();
    std::optional<std::string> decoded = DecodeJcalg1(stream);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, c.plain);
  }
}

TEST(Jcalg1Decode, RejectsDamagedStreams) {
  std::string good = CompressJcalg1(IniLike(4000));
  auto with_size = [&](uint32_t size) {
    std::string s = good;
    for (size_t i = 0; i < 4; ++i) s[2 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    return s;
  };
  std::string bad_sum = good;
  bad_sum[6] ^= 1;
  std::string bad_magic = good;
  bad_magic[0] = 'j';
  Jcalg1BitWriter before_start;
  before_start.Put(0, 3);  // short match 5 back with nothing written
  before_start.Put(5, 7);
  before_start.Put(0, 2);
  Jcalg1BitWriter no_end;
  for (int i = 0; i < 3; ++i) {
    no_end.Put(0b1, 1);
    no_end.Put('a', 8);
  }
  std::string unterminated = no_end.Finish();
  unterminated.resize(4);  // the end token straddles into the word cut off

  Jcalg1BitWriter wide_base;
  wide_base.Put(0, 3);  // offset field of 40 bits
  wide_base.Put(0, 7);
  wide_base.Put(3, 2);
  wide_base.Put(40, 6);
  Jcalg1BitWriter zero_offset;
  zero_offset.Put(0b1, 1);
  zero_offset.Put('a', 8);
  zero_offset.Put(0b01, 2);  // new offset (3 - 3) << 8 | 0 = 0
  zero_offset.Gamma(3);
  zero_offset.Put(0, 8);
  zero_offset.Gamma(2);

  const std::pair<const char*, std::string> cases[] = {
      {"offset field wider than any output", Jcalg1Header(1, 0) + wide_base.Finish()},
      {"offset zero", Jcalg1Header(7, 0) + zero_offset.Finish()},
      {"truncated", good.substr(0, good.size() - 4)},
      {"declared size too small", with_size(3999)},
      {"declared size too large", with_size(4001)},
      {"checksum mismatch", bad_sum},
      {"no magic", bad_magic},
      {"header only", good.substr(0, 9)},
      {"offset before start", Jcalg1Header(2, 0) + before_start.Finish()},
      {"no end token", Jcalg1Header(3, 0) + unterminated},
      {"tail bytes are not a word", Jcalg1Header(3, 0) + unterminated.substr(0, 3)},
  };
  for (const auto& [name, stream] : cases) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(DecodeJcalg1(stream).has_value());
  }
  EXPECT_FALSE(DecodeJcalg1(good, 3999).has_value()) << "size bound";
}

// Far matches whose first number is too long for the accumulator (more than
// eight bit pairs), so the decoder takes its checked reads in the middle of a
// token, after enough output to reach back that far.
std::string FarMatches(std::string* plain) {
  Jcalg1BitWriter w;
  PutLiterals(w, "abc");
  *plain = "abc" + std::string(1500, 'c');
  w.Put(0b01, 2);  // the last offset (1) again, 1500 bytes
  w.Gamma(2);
  w.Gamma(1500);
  PutOffsetWidth(w, 1, 4);
  for (uint32_t i = 0; i < 12; ++i) {
    w.Put(1, 1);
    w.Put('x' + i, 8);
    *plain += static_cast<char>('x' + i);
    uint64_t high = 600 + i;
    uint64_t offset = (high - 3) << 1 | (i & 1);
    w.Put(0b01, 2);
    w.Gamma(high);
    w.Put(i & 1, 1);
    w.Gamma(2 + 37 * i);
    for (uint64_t n = 0; n < 3 + 37 * i; ++n) plain->push_back((*plain)[plain->size() - offset]);
  }
  return Jcalg1Header(static_cast<uint32_t>(plain->size()), Jcalg1Checksum(*plain)) + w.Finish();
}

// Near matches behind a 32-bit offset field, so that most of them need more
// than one word of the stream.
std::string WideOffsets(std::string* plain) {
  Jcalg1BitWriter w;
  *plain = "abcdefghijklmnop";
  PutLiterals(w, *plain);
  PutOffsetWidth(w, 32, 6);
  for (uint32_t i = 0; i < 60; ++i) {
    uint32_t offset = 1 + i % 16;
    w.Put(0b01, 2);
    w.Gamma(3);
    w.Put(offset, 32);
    w.Gamma(2 + i % 5);
    for (uint32_t n = 0; n < 6 + i % 5; ++n) plain->push_back((*plain)[plain->size() - offset]);
    if (i % 3 == 0) {
      w.Put(1, 1);
      w.Put('z', 8);
      plain->push_back('z');
    }
  }
  return Jcalg1Header(static_cast<uint32_t>(plain->size()), Jcalg1Checksum(*plain)) + w.Finish();
}

TEST(Jcalg1Decode, StreamCutAnywhereIsRejected) {
  std::string far_plain, wide_plain;
  std::string far = FarMatches(&far_plain);
  std::string wide = WideOffsets(&wide_plain);
  const std::pair<std::string, std::string> cases[] = {
      {CompressJcalg1(IniLike(6000)), IniLike(6000)},
      {far, far_plain},
      {wide, wide_plain},
  };
  for (const auto& [stream, plain] : cases) {
    ASSERT_EQ(DecodeJcalg1(stream), plain);
    // Each cut in a buffer of its own size, so that a read past its end
    // shows under the address sanitizer.
    for (size_t cut = 0; cut < stream.size(); ++cut) {
      std::vector<char> exact(stream.begin(), stream.begin() + static_cast<ptrdiff_t>(cut));
      ASSERT_FALSE(DecodeJcalg1(std::string_view(exact.data(), exact.size())).has_value())
          << "cut at " << cut << " of " << stream.size();
    }
  }
}

TEST(Jcalg1Decode, HugeClaimCostsNothingUntilDelivered) {
  // A 20-byte stream may legitimately expand a lot; it must not be trusted
  // to allocate before it produces.
  std::string stream = Jcalg1Header(0x3FFFFFFF, 0) + [] {
    Jcalg1BitWriter w;
    w.Put(0b001000001, 9);
    w.Put(1, 1);
    w.Put('z', 8);
    return w.Finish();
  }();
  EXPECT_FALSE(DecodeJcalg1(stream).has_value());
}

}  // namespace
}  // namespace wunt
