#pragma once
// Why a run stopped asking a server or stopped writing: a sentence each,
// put behind the list of failed years on the run's Error line, so the user
// learns that the years failed for a cause that retrying now would not cure.

#include <cstdint>
#include <string>

namespace wunt {

// Picture requests in a row without a usable answer (no connection, no
// header, a broken body, a server error) after which the game server is not
// asked again in this run. A season names hundreds of pictures; eight
// failures in a row (each after its retries) leave no doubt the server is
// broken, while a few missing pictures (answered "not found") never count.
inline constexpr int kPictureFailureStreak = 8;

enum class Server { kUpdate, kGame };

// The server's bodies stayed below `min_rate` bytes a second over a window.
std::string TooSlowReason(Server server, int64_t min_rate, int window_ms);
// The game server failed kPictureFailureStreak pictures in a row.
std::string FailingPicturesReason();
// The game server accepted connections but never answered.
std::string SilentPicturesReason();
// The disk would have fallen below `reserve` bytes free.
std::string DiskReserveReason(uint64_t reserve);

}  // namespace wunt
