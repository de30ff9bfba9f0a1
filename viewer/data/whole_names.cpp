#include "viewer/data/whole_names.h"

#include <algorithm>

namespace wunt {
namespace {

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

}  // namespace

bool IsNameByte(char c) {
  const unsigned char b = Byte(c);
  if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_') {
    return true;
  }
  switch (b) {
    // The letters of Windows-1252 outside the Latin-1 block.
    case 0x83:
    case 0x8A:
    case 0x8C:
    case 0x8E:
    case 0x9A:
    case 0x9C:
    case 0x9E:
    case 0x9F:
    case 0xAA:
    case 0xB5:
    case 0xBA:
      return true;
    default:
      return b >= 0xC0 && b != 0xD7 && b != 0xF7;
  }
}

WholeNameReplacer::WholeNameReplacer(std::vector<NameReplacement> replacements)
    : replacements_(std::move(replacements)) {
  std::erase_if(replacements_, [](const NameReplacement& r) { return r.from.empty(); });
  for (size_t i = 0; i < replacements_.size(); ++i) {
    by_first_byte_[Byte(replacements_[i].from.front())].push_back(i);
  }
  for (std::vector<size_t>& candidates : by_first_byte_) {
    std::stable_sort(candidates.begin(), candidates.end(), [this](size_t a, size_t b) {
      return replacements_[a].from.size() > replacements_[b].from.size();
    });
  }
}

const NameReplacement* WholeNameReplacer::WholeMatchAt(std::string_view text, size_t at) const {
  for (size_t index : by_first_byte_[Byte(text[at])]) {
    const std::string& name = replacements_[index].from;
    if (text.compare(at, name.size(), name) != 0) continue;
    const size_t end = at + name.size();
    if (end < text.size() && IsNameByte(text[end]) && IsNameByte(name.back())) continue;
    return &replacements_[index];
  }
  return nullptr;
}

std::string WholeNameReplacer::Apply(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const NameReplacement* match = nullptr;
    // Every candidate begins with text[i], so one look at the byte before
    // decides for all of them.
    const bool inside_name = i > 0 && IsNameByte(text[i - 1]) && IsNameByte(text[i]);
    if (!inside_name) match = WholeMatchAt(text, i);
    if (match == nullptr) {
      out += text[i++];
    } else {
      out += match->to;
      i += match->from.size();
    }
  }
  return out;
}

}  // namespace wunt
