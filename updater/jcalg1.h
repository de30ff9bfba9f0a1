#pragma once
// Decoder for the compressed entries of game-year archives. Entries come from
// the network, so every step is bounds-checked: a bad stream fails instead of
// reading or writing outside its buffers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wunt {

inline constexpr size_t kJcalg1HeaderSize = 10;
// Largest output we accept; the header's size is attacker-controlled.
inline constexpr uint64_t kJcalg1MaxOutput = uint64_t{1} << 30;

// Checksum stored in the stream header (0 for data shorter than 4 bytes).
uint32_t Jcalg1Checksum(std::string_view data);

// The uncompressed size a stream's header announces, or nothing when the
// header is missing or malformed.
std::optional<uint32_t> Jcalg1DeclaredSize(std::string_view stream);

// Expands a whole stream (header included). Fails unless the stream ends with
// its end token after producing exactly the declared size, every copy stays
// inside the output, and a non-zero checksum matches. `max_output` bounds the
// declared size.
std::optional<std::string> DecodeJcalg1(std::string_view stream,
                                        uint64_t max_output = kJcalg1MaxOutput);

}  // namespace wunt
