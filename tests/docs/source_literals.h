#pragma once
// The string literals of our C++ sources, decoded to the Windows-1252 bytes
// the programs show, so that a test can ask whether a text is one the code
// really has.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

// Every string literal of `source`, with adjacent literals joined as the
// compiler joins them, escapes decoded, and UTF-8 turned into Windows-1252.
// Comments and character literals are skipped.
std::vector<std::string> StringLiterals(std::string_view source);

// The literals of every .cpp and .h file below `folder`.
std::vector<std::string> StringLiteralsBelow(const std::filesystem::path& folder);

// Whether `text` is part of one literal, or is spelled by literals joined
// with "+": the end of one literal, any number of whole literals, the start
// of another.
bool SpelledByLiterals(std::string_view text, const std::vector<std::string>& literals);

}  // namespace wunt
