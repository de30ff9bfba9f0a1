#pragma once
// Whole-file reading and crash-safe writing. Every file that a later run reads
// back is written next to its final name and renamed into place, so a crash or
// a full disk never leaves a half-written file under the real name.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace wunt {

// The whole file, or nothing when it is missing, unreadable or no regular
// file (a folder, a pipe).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
// Memory for reading many files one after another. It keeps its capacity
// and is never cleared before a read, so a loader neither faults in fresh
// pages nor writes every byte twice for each file.
class FileBuffer {
 public:
  std::string_view bytes() const { return {data_.get(), size_}; }

 private:
  friend bool ReadWholeFileInto(const std::filesystem::path& path, FileBuffer& buffer);
  std::unique_ptr<char[]> data_;
  size_t capacity_ = 0;
  size_t size_ = 0;
};

// As ReadWholeFile, into `buffer`; false (and no bytes) where ReadWholeFile
// gives nothing.
bool ReadWholeFileInto(const std::filesystem::path& path, FileBuffer& buffer);

// Writes `bytes` to a temporary file in the same folder, flushes it and
// renames it over `path`. On failure `path` is untouched and false returned.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Like WriteFileAtomically, but the file only ever takes a free name: when
// anything (a file, a link, a folder) holds `path` already, or comes there
// meanwhile, it stays as it is and false is returned.
bool WriteNewFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Streams a file under a temporary name; Commit() renames it into place.
// Destroying an uncommitted writer removes the temporary file.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool Open(const std::filesystem::path& path);
  bool Write(std::string_view bytes);
  // Hands the bytes written so far to the system and starts writing them to
  // disk without waiting, so that several files can travel together before
  // each Commit() waits for its own.
  bool StartWriteBack();
  // Flushes, syncs (unless SyncTogether() did), closes and renames over the
  // final path.
  bool Commit();
  // As Commit(), but fails instead of replacing what holds the final path.
  bool CommitNew();
  // As Commit(), without waiting for the disk: for scratch files that are
  // made again anyway after a crash. Readers still never see half a file.
  bool CommitUnsynced();
  // Closes and removes the temporary file.
  void Abandon();
  bool is_open() const { return file_ != nullptr; }
  const std::filesystem::path& temp_path() const { return temp_path_; }

 private:
  friend bool SyncTogether(std::span<AtomicFileWriter* const> writers);
  bool Finish(bool replace, bool sync);

  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool synced_ = false;
  std::filesystem::path path_;
  std::filesystem::path temp_path_;
};

// Makes the bytes written so far by all `writers` (in the order they were
// opened, all on one file system) durable with one sync of that file system
// instead of one per file. False when that could not be
// done (nothing is lost: each Commit() then syncs its own file).
bool SyncTogether(std::span<AtomicFileWriter* const> writers);

// A name for a temporary file beside `path`, unique within this process run.
std::filesystem::path TempPathBeside(const std::filesystem::path& path);

}  // namespace wunt
