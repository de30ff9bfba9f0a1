// Makes compressed streams and game-year archives from files, for test data
// and for serving seasons locally.
//
//   jcalg1-pack stream <input> <output>
//   jcalg1-pack archive <Park.ini> <Company.ini> <Attraction.ini> <output>
//   jcalg1-pack unpack <stream> <output>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_util.h"
#include "tools/support/jcalg1_compressor.h"
#include "updater/jcalg1.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: jcalg1-pack stream <input> <output>\n"
               "       jcalg1-pack archive <Park.ini> <Company.ini> <Attraction.ini> <output>\n"
               "       jcalg1-pack unpack <stream> <output>\n");
  return 2;
}

std::optional<std::string> Read(const char* path) {
  std::optional<std::string> bytes = wunt::ReadWholeFile(path);
  if (!bytes) std::fprintf(stderr, "cannot read %s\n", path);
  return bytes;
}

int Write(const char* path, std::string_view bytes) {
  if (wunt::WriteFileAtomically(path, bytes)) return 0;
  std::fprintf(stderr, "cannot write %s\n", path);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string_view mode = argv[1];
  if ((mode == "stream" || mode == "unpack") && argc == 4) {
    std::optional<std::string> input = Read(argv[2]);
    if (!input) return 1;
    if (mode == "stream") return Write(argv[3], wunt::CompressJcalg1(*input));
    std::optional<std::string> plain = wunt::DecodeJcalg1(*input);
    if (!plain) {
      std::fprintf(stderr, "%s is no valid stream\n", argv[2]);
      return 1;
    }
    return Write(argv[3], *plain);
  }
  if (mode == "archive" && argc == 6) {
    std::string archive;
    for (int i = 2; i < 5; ++i) {
      std::optional<std::string> input = Read(argv[i]);
      if (!input) return 1;
      archive += wunt::MakeArchiveEntry(*input);
    }
    return Write(argv[5], archive);
  }
  return Usage();
}
