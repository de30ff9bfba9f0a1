// Turns a UTF-8 text with LF line ends into the Windows-1252 text with CR LF
// that Windows editors expect, for the player's Readme.txt:
//   cp1252-text INPUT OUTPUT
// A character that Windows-1252 lacks, or a byte that is not UTF-8, stops it
// with the line named: a "?" in the player's text would go unnoticed.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "common/file_util.h"
#include "common/text.h"

namespace {

// Input files are small texts; anything larger is a wrong argument.
constexpr std::streamoff kMaxInputBytes = 4 * 1024 * 1024;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: cp1252-text INPUT OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  if (!in || in.tellg() > kMaxInputBytes) {
    std::fprintf(stderr, "cp1252-text: cannot read %s\n", argv[1]);
    return 1;
  }
  in.seekg(0);
  const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  std::string out;
  out.reserve(utf8.size() + utf8.size() / 40);
  size_t line_start = 0;
  int line_number = 1;
  while (line_start < utf8.size()) {
    size_t end = utf8.find('\n', line_start);
    if (end == std::string::npos) end = utf8.size();
    std::string_view line(utf8.data() + line_start, end - line_start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string converted = wunt::Utf8ToCp1252(line);
    // The way back gives the same text only when every character had a
    // Windows-1252 byte.
    if (wunt::Cp1252ToUtf8(converted) != line) {
      std::fprintf(stderr, "cp1252-text: %s:%d: character without a Windows-1252 form\n", argv[1],
                   line_number);
      return 1;
    }
    out += converted;
    out += "\r\n";
    line_start = end + 1;
    ++line_number;
  }
  if (!wunt::WriteFileAtomically(argv[2], out)) {
    std::fprintf(stderr, "cp1252-text: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
