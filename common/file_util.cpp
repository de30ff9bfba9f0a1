#include "common/file_util.h"

#include <unistd.h>

#include <atomic>
#include <string>

namespace wunt {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::string bytes;
  char chunk[1 << 16];
  bool ok = true;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    long size = std::ftell(file);
    if (size > 0) bytes.reserve(static_cast<size_t>(size));
    std::rewind(file);
  }
  while (true) {
    size_t got = std::fread(chunk, 1, sizeof chunk, file);
    bytes.append(chunk, got);
    if (got < sizeof chunk) {
      ok = !std::ferror(file);
      break;
    }
  }
  std::fclose(file);
  if (!ok) return std::nullopt;
  return bytes;
}

std::filesystem::path TempPathBeside(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
  return temp;
}

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

bool AtomicFileWriter::Open(const std::filesystem::path& path) {
  Abandon();
  path_ = path;
  temp_path_ = TempPathBeside(path);
  failed_ = false;
  file_ = std::fopen(temp_path_.c_str(), "wb");
  return file_ != nullptr;
}

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (file_ == nullptr || failed_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
  }
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (file_ == nullptr) return false;
  bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok) {
    std::error_code ec;
    std::filesystem::rename(temp_path_, path_, ec);
    ok = !ec;
  }
  if (!ok) {
    std::error_code ec;
    std::filesystem::remove(temp_path_, ec);
  }
  return ok;
}

void AtomicFileWriter::Abandon() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  std::error_code ec;
  std::filesystem::remove(temp_path_, ec);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  AtomicFileWriter writer;
  return writer.Open(path) && writer.Write(bytes) && writer.Commit();
}

}  // namespace wunt
