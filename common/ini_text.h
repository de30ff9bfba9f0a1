#pragma once
// Writes files in the INI dialect of the season files: "key = value" lines
// and "[group]" lines, ended by CR LF.

#include <cstdint>
#include <string>
#include <string_view>

namespace wunt {

class IniText {
 public:
  // Appended piece by piece: GCC 12 warns falsely about chains of "+".
  void Group(std::string_view name) { text_.append("[").append(name).append("]\r\n"); }
  void Key(std::string_view key, std::string_view value) {
    text_.append(key).append(" = ").append(value).append("\r\n");
  }
  void Key(std::string_view key, int64_t value) { Key(key, std::to_string(value)); }
  void Comment(std::string_view text) { text_.append("; ").append(text).append("\r\n"); }
  void Line(std::string_view line) { text_.append(line).append("\r\n"); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace wunt
