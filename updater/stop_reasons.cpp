#include "updater/stop_reasons.h"

#include "updater/game_year_archive.h"

namespace wunt {
namespace {

// Windows-1252, as every line the Viewer reads.
std::string ServerName(Server server) {
  return server == Server::kUpdate ? "Der Server f\xfcr die Rundendaten"
                                   : "Der Server f\xfcr die Bilder";
}

constexpr char kNotAskedAgain[] = " und wurde nicht weiter gefragt.";

}  // namespace

std::string TooSlowReason(Server server, int64_t min_rate, int window_ms) {
  return ServerName(server) + " lieferte " + std::to_string(window_ms / 1000) +
         " Sekunden lang weniger als " + std::to_string(min_rate / 1024) + " KB/s" + kNotAskedAgain;
}

std::string TooLongReason(Server server, int64_t total_ms) {
  // Whole minutes read better, but a bound under two minutes would lose too
  // much by rounding.
  int64_t seconds = total_ms / 1000;
  std::string span = seconds >= 120 ? std::to_string(seconds / 60) + " Minuten"
                                    : std::to_string(seconds) + " Sekunden";
  return ServerName(server) + " brauchte f\xfcr eine Antwort l\xe4nger als " + span +
         kNotAskedAgain;
}

std::string TooLargeYearsReason(const std::vector<std::string>& years) {
  std::string text = years.size() == 1 ? "Das Jahr " : "Die Jahre ";
  for (size_t i = 0; i < years.size(); ++i) text += (i ? ", " : "") + years[i];
  return text + (years.size() == 1 ? " ist" : " sind") + " gr\xf6\xdf" + "er als die " +
         std::to_string(kMaxGameYearBytes >> 20) + " MiB, die ein Spieljahr haben darf, und wurde" +
         (years.size() == 1 ? "" : "n") + " nicht gespeichert.";
}

std::string FailedInARowReason(Server server, int count) {
  return ServerName(server) + " lieferte " + std::to_string(count) +
         (server == Server::kGame ? " Bilder" : " Jahre") + " in Folge nicht" + kNotAskedAgain;
}

std::string SilentPicturesReason() {
  return ServerName(Server::kGame) + " antwortete nicht mehr" + kNotAskedAgain;
}

std::string DiskReserveReason(uint64_t reserve) {
  return "Die Aktualisierung wurde angehalten, weil auf dem Datentr\xe4ger mindestens " +
         std::to_string(reserve >> 20) + " MB frei bleiben m\xfcssen.";
}

}  // namespace wunt
