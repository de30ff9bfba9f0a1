#pragma once
// Replacing names in formula texts as whole names: a name counts only where
// it is not part of a longer name, so a field "U" leaves "Umsatz" alone.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

// Letters A-Z and a-z, digits, "_", and the letters of Windows-1252 (umlauts
// and the other accented letters, but not the signs x and / at 0xD7, 0xF7).
bool IsNameByte(char c);

struct NameReplacement {
  std::string from;
  std::string to;
};

// Replaces names in one pass from left to right. At each place the longest
// name that stands there whole wins (among equally long ones the earlier
// entry); replaced text is not looked at again, so names that map onto each
// other (A to B, B to C) do not run into each other. An edge of a name that
// is not a name byte itself (a quote, a bracket) needs no boundary there.
// Empty names are ignored.
class WholeNameReplacer {
 public:
  explicit WholeNameReplacer(std::vector<NameReplacement> replacements);

  std::string Apply(std::string_view text) const;
  bool empty() const { return replacements_.empty(); }

 private:
  // The longest name at `at` that does not run on into a name byte after it.
  const NameReplacement* WholeMatchAt(std::string_view text, size_t at) const;

  std::vector<NameReplacement> replacements_;
  // Per first byte, the indexes of the names starting with it, longest first.
  std::array<std::vector<size_t>, 256> by_first_byte_;
};

}  // namespace wunt
