#pragma once
// Why a run stopped asking a server or stopped writing: a sentence each,
// put behind the list of failed years on the run's Error line, so the user
// learns that the years failed for a cause that retrying now would not cure.

#include <cstdint>
#include <string>
#include <vector>

namespace wunt {

// Pictures in a row without a usable answer (no connection, no header, a
// broken body, a server error) after which the game server is not asked
// again in this run. A season names hundreds of pictures; eight failures in
// a row leave no doubt the server is broken, while a few missing pictures
// (answered "not found") never count.
inline constexpr int kPictureFailureStreak = 8;
// Game years in a row whose archive the update server did not deliver
// after all attempts (no connection, no header, a broken body), after which
// it is not asked again: the year list may name 10,000 years, and a server
// that lets each attempt run into its time limits would hold the run for
// days. Eight years of a season are plenty to tell.
inline constexpr int kYearFailureStreak = 8;

enum class Server { kUpdate, kGame };

// The server's bodies stayed below `min_rate` bytes a second over a window.
std::string TooSlowReason(Server server, int64_t min_rate, int window_ms);
// One request of the server took longer than its total time of `total_ms`.
std::string TooLongReason(Server server, int64_t total_ms);
// The archives of `years` were bigger than a game year may be; they are not
// tried again in this run.
std::string TooLargeYearsReason(const std::vector<std::string>& years);
// The server failed `count` pictures (game server) or game years (update
// server) in a row.
std::string FailedInARowReason(Server server, int count);
// The game server accepted connections but never answered.
std::string SilentPicturesReason();
// The disk would have fallen below `reserve` bytes free.
std::string DiskReserveReason(uint64_t reserve);

}  // namespace wunt
