#include "updater/stop_reasons.h"

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
