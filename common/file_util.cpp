#include "common/file_util.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

namespace wunt {
namespace {

// A leftover of a killed run may hold a name again when its process id
// comes round; the next name is taken then.
constexpr int kTempNameTries = 8;

// Before Linux 5.8 a file system sync did not report write errors, so a
// failed write could pass unnoticed; there every file is synced on its own.
bool SyncReportsErrors() {
  static const bool reports = [] {
    utsname name{};
    int major = 0;
    int minor = 0;
    if (::uname(&name) != 0 || std::sscanf(name.release, "%d.%d", &major, &minor) != 2) {
      return false;
    }
    return major > 5 || (major == 5 && minor >= 8);
  }();
  return reports;
}

// A regular file opened for reading, and its reported size; -1 for anything
// else.
int OpenRegularFile(const std::filesystem::path& path, size_t* size) {
  // Without O_NONBLOCK a pipe would block the open until a writer came.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  // A folder opens like a file but has no bytes to give, and its reported
  // size is nonsense; pipes and devices could block or never end.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  *size = static_cast<size_t>(std::max<off_t>(info.st_size, 0));
  return fd;
}

// Reads `fd` to its end straight into memory from `room(used, wanted)`,
// which keeps the first `used` bytes and gives at least `wanted`. The known
// size comes in one call; the byte to spare lets the call that finds the end
// go without growing. A file that grows meanwhile, or reports no size as
// some system files do, still comes in whole. Closes `fd`.
template <class Room>
bool ReadToEnd(int fd, size_t size, Room room, size_t* used) {
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  size_t capacity = size + 1;
  char* data = room(0, capacity);
  *used = 0;
  for (;;) {
    if (*used == capacity) {
      capacity = std::max<size_t>(2 * capacity, 1 << 16);
      data = room(*used, capacity);
    }
    ssize_t got = ::read(fd, data + *used, capacity - *used);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0;
    *used += static_cast<size_t>(got);
  }
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  size_t size = 0;
  const int fd = OpenRegularFile(path, &size);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  size_t used = 0;
  auto room = [&bytes](size_t, size_t wanted) {
    bytes.resize(wanted);
    return bytes.data();
  };
  if (!ReadToEnd(fd, size, room, &used)) return std::nullopt;
  bytes.resize(used);
  return bytes;
}

bool ReadWholeFileInto(const std::filesystem::path& path, FileBuffer& buffer) {
  buffer.size_ = 0;
  size_t size = 0;
  const int fd = OpenRegularFile(path, &size);
  if (fd < 0) return false;
  auto room = [&buffer](size_t used, size_t wanted) {
    if (wanted > buffer.capacity_) {
      // A little to spare, so that next year's slightly longer file fits.
      const size_t capacity = std::max(wanted + wanted / 8, 2 * buffer.capacity_);
      auto larger = std::make_unique_for_overwrite<char[]>(capacity);
      if (used > 0) std::memcpy(larger.get(), buffer.data_.get(), used);
      buffer.data_ = std::move(larger);
      buffer.capacity_ = capacity;
    }
    return buffer.data_.get();
  };
  size_t used = 0;
  if (!ReadToEnd(fd, size, room, &used)) return false;
  buffer.size_ = used;
  return true;
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
  failed_ = false;
  // Created fresh and never through a link: a name planted beforehand makes
  // the open fail instead of redirecting the bytes.
  int fd = -1;
  for (int tries = 0; tries < kTempNameTries && fd < 0; ++tries) {
    temp_path_ = TempPathBeside(path);
    fd = ::open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    std::error_code ec;
    std::filesystem::remove(temp_path_, ec);
  }
  return file_ != nullptr;
}

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (file_ == nullptr || failed_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
  }
  synced_ = synced_ && bytes.empty();
  return !failed_;
}

bool AtomicFileWriter::StartWriteBack() {
  if (file_ == nullptr || failed_) return false;
  if (std::fflush(file_) != 0) {
    failed_ = true;
    return false;
  }
  // Only a head start: Commit() still syncs. A system without it just waits
  // there as before.
  ::sync_file_range(::fileno(file_), 0, 0, SYNC_FILE_RANGE_WRITE);
  return true;
}

bool AtomicFileWriter::Commit() { return Finish(true, true); }

bool AtomicFileWriter::CommitNew() { return Finish(false, true); }

bool AtomicFileWriter::CommitUnsynced() { return Finish(true, false); }

bool AtomicFileWriter::Finish(bool replace, bool sync) {
  if (file_ == nullptr) return false;
  bool ok =
      !failed_ && std::fflush(file_) == 0 && (synced_ || !sync || ::fsync(::fileno(file_)) == 0);
  synced_ = false;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok && replace) {
    std::error_code ec;
    std::filesystem::rename(temp_path_, path_, ec);
    ok = !ec;
  } else if (ok) {
    // The kernel checks that the name is free as it moves the file; where
    // the file system cannot, a hard link does the same check.
    if (::renameat2(AT_FDCWD, temp_path_.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE) != 0) {
      ok = (errno == EINVAL || errno == ENOSYS) && ::link(temp_path_.c_str(), path_.c_str()) == 0;
      std::error_code ec;
      std::filesystem::remove(temp_path_, ec);
    }
  }
  if (!ok) {
    std::error_code ec;
    std::filesystem::remove(temp_path_, ec);
  }
  return ok;
}

bool SyncTogether(std::span<AtomicFileWriter* const> writers) {
  if (writers.size() < 2 || !SyncReportsErrors()) return false;
  for (AtomicFileWriter* writer : writers) {
    if (writer->file_ == nullptr || writer->failed_ || std::fflush(writer->file_) != 0)
      return false;
  }
  // The sync reports write errors of the whole file system since each file
  // was opened, so a failure here is taken as the failure of every file.
  if (::syncfs(::fileno(writers.front()->file_)) != 0) return false;
  for (AtomicFileWriter* writer : writers) writer->synced_ = true;
  return true;
}

void AtomicFileWriter::Abandon() {
  synced_ = false;
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

bool WriteNewFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  AtomicFileWriter writer;
  return writer.Open(path) && writer.Write(bytes) && writer.CommitNew();
}

}  // namespace wunt
