#pragma once
// The one INI dialect every settings and data file is read and written in.
//
// An open file is an ordered list of lines (group, comment, key); blank lines
// are dropped. Names compare ignoring the case of A-Z only. Values are kept
// as they stood after "=" (leading blanks skipped) and handed out trimmed.
// Writing back rewrites the whole file with CR LF line ends, through a
// temporary file that is renamed over the original.
//
// Files starting with a UTF-8 byte-order mark are in UTF-8 mode: names and
// values are converted to Windows-1252 when read out, names given by the
// caller are converted to UTF-8 before comparing, written texts are stored as
// UTF-8. Everything else is Windows-1252 bytes.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wunt {

class IniFile {
 public:
  enum class LineKind : uint8_t { kGroup, kComment, kKey };
  struct Line {
    LineKind kind;
    std::string_view name;   // group name, comment text or key name
    std::string_view value;  // key value as read (leading blanks skipped)
  };

  IniFile() = default;
  // Writes back pending changes, as CloseIni() does.
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // Closes any open file and parses `path`. True when the file exists and
  // could be read. The name is kept either way, so writes create the file
  // on close.
  bool OpenIni(const std::filesystem::path& path);
  // Parses bytes already in memory (no file behind it; CloseIni writes
  // nothing). For tests, fuzzing and callers that hold the bytes.
  void OpenIniFromBytes(std::string bytes);
  // Closes any open file and starts an empty one that replaces `path` on close.
  bool CreateIni(const std::filesystem::path& path);
  // Writes the file back when anything was written or removed, then releases
  // everything. False only when a needed write failed; the file on disk is
  // then left as it was.
  bool CloseIni();

  // Empty name: the area before the first group. Otherwise the first group of
  // that name; when there is none, returns false and remembers the name so
  // that the first write creates the group at the end.
  bool SelectGroup(std::string_view name);
  // Group iteration: FirstGroup() rewinds (false when no file is open), each
  // NextGroup() moves to the next group, makes it current and returns false
  // after the last:  if (ini.FirstGroup()) while (ini.NextGroup()) ...
  bool FirstGroup();
  bool NextGroup();
  std::string GroupName() const;

  // Key iteration in the current group, the same way: FirstKey() rewinds
  // (false when no file is open or the last SelectGroup failed), NextKey()
  // moves to the next key line, skipping comments, and returns false at the
  // next group or the end, leaving the cursor on the last key.
  bool FirstKey();
  bool NextKey();
  std::string KeyName() const;
  std::string KeyValue() const;

  std::string ReadString(std::string_view key, std::string_view default_value) const;
  int64_t ReadLong(std::string_view key, int64_t default_value) const;

  void WriteString(std::string_view key, std::string_view value);
  void WriteLong(std::string_view key, int64_t value);
  bool RemoveGroup(std::string_view name);

  // The serialized file as CloseIni would write it.
  std::string Serialize() const;

  // Streaming reads for bulk loaders that need no line list. `*at` lies at
  // the start of a line or between lines. ReadLine reads the next line as
  // the line list would hold it and moves *at past it; false when only blank
  // lines remained. FindGroupLine gives the "[" of the next group line at or
  // after `at`, or `end`.
  static bool ReadLine(const char** at, const char* end, Line* line);
  static const char* FindGroupLine(const char* at, const char* end);
  // Cuts a leading UTF-8 byte-order mark off `text`: true when the file is
  // in UTF-8 mode.
  static bool CutByteOrderMark(std::string_view& text);

  // Direct read access for bulk loaders (no per-call copies). In UTF-8 mode
  // these are the file's UTF-8 bytes; callers convert when utf8_mode().
  const std::vector<Line>& lines() const { return lines_; }
  bool utf8_mode() const { return utf8_mode_; }
  bool is_open() const { return is_open_; }
  bool modified() const { return modified_; }
  // Index into lines() of the key under the cursor, or -1.
  int64_t key_cursor() const { return key_cursor_; }
  // Index into lines() of the current group, or -1 for the area before the
  // first group.
  int64_t current_group() const { return current_group_; }

 private:
  static constexpr int64_t kNone = -1;

  void Reset();
  void Parse();
  std::string ToCaller(std::string_view stored) const;
  std::string FromCaller(std::string_view text) const;
  std::string_view Own(std::string text);
  int64_t FindGroup(std::string_view name) const;
  int64_t FindKey(std::string_view key) const;
  // Index just past the last line of the current group.
  size_t EndOfCurrentGroup() const;
  void EnsureWritableGroup();
  void InvalidateIndex() { group_index_valid_ = false; }

  std::filesystem::path path_;
  bool has_path_ = false;
  bool is_open_ = false;
  bool utf8_mode_ = false;
  bool modified_ = false;
  std::string buffer_;
  std::deque<std::string> owned_;  // texts written since opening
  std::vector<Line> lines_;

  int64_t current_group_ = kNone;
  bool group_missing_ = false;
  std::string pending_group_;
  int64_t group_cursor_ = kNone;
  int64_t key_cursor_ = kNone;

  // Folded group name -> first group line; rebuilt after structural changes.
  mutable std::unordered_map<std::string, int64_t> group_index_;
  mutable bool group_index_valid_ = false;
};

}  // namespace wunt
