#include "common/file_util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace wunt {
namespace {

namespace fs = std::filesystem;

class FileUtilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(WUNT_BINARY_DIR) / "file_util_test" /
           (std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
};

// What is not a regular file reads as unreadable; before, a folder reported
// a size of 2^63-1 and the reserve threw.
TEST_F(FileUtilTest, ReadsOnlyRegularFiles) {
  fs::create_directory(dir_ / "folder");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  ASSERT_TRUE(WriteFileAtomically(dir_ / "file", std::string("a\0b", 3)));
  fs::create_symlink(dir_ / "file", dir_ / "link");
  const struct {
    const char* name;
    std::optional<std::string> bytes;
  } cases[] =
      {
          {"folder", std::nullopt},         {"fifo", std::nullopt},
          {"missing", std::nullopt},        {"file", std::string("a\0b", 3)},
          {"link", std::string("a\0b", 3)},  // reading through a link is harmless
      };
  for (const auto& c : cases) EXPECT_EQ(ReadWholeFile(dir_ / c.name), c.bytes) << c.name;
}

// One buffer read again and again holds exactly the last file: never bytes
// left over from a longer one before, nothing after a failed read.
TEST_F(FileUtilTest, ReusedBufferHoldsOnlyTheLastFile) {
  const std::string large(300000, 'x');
  ASSERT_TRUE(WriteFileAtomically(dir_ / "small", "abc"));
  ASSERT_TRUE(WriteFileAtomically(dir_ / "large", large));
  ASSERT_TRUE(WriteFileAtomically(dir_ / "empty", ""));
  fs::create_directory(dir_ / "folder");
  const struct {
    const char* name;
    std::optional<std::string> bytes;
  } reads[] = {
      {"small", "abc"}, {"large", large},          {"small", "abc"}, {"folder", std::nullopt},
      {"empty", ""},    {"missing", std::nullopt}, {"large", large},
  };
  FileBuffer buffer;
  for (const auto& r : reads) {
    const bool read = ReadWholeFileInto(dir_ / r.name, buffer);
    EXPECT_EQ(read, r.bytes.has_value()) << r.name;
    EXPECT_EQ(buffer.bytes(), r.bytes.value_or("")) << r.name;
  }
  // System files that report no size still come in whole.
  ASSERT_TRUE(ReadWholeFileInto("/proc/self/environ", buffer));
  EXPECT_EQ(buffer.bytes(), ReadWholeFile("/proc/self/environ"));
}

// A link planted where the temporary file goes must not receive the bytes.
TEST_F(FileUtilTest, NeverWritesThroughAPlantedLink) {
  const fs::path target = dir_ / "outside";
  ASSERT_TRUE(WriteFileAtomically(target, "keep"));
  const fs::path path = dir_ / "data.ini";
  // The next temporary names this process would take.
  fs::path probe = TempPathBeside(path);
  std::string stem = probe.string().substr(0, probe.string().rfind('_') + 1);
  int next = std::stoi(probe.string().substr(stem.size())) + 1;
  for (int i = 0; i < 3; ++i) fs::create_symlink(target, stem + std::to_string(next + i));

  EXPECT_TRUE(WriteFileAtomically(path, "new"));
  EXPECT_EQ(ReadWholeFile(target), std::optional<std::string>("keep"));
  EXPECT_EQ(ReadWholeFile(path), std::optional<std::string>("new"));
  EXPECT_FALSE(fs::is_symlink(path));
}

TEST_F(FileUtilTest, ReplacesALinkAtTheFinalNameInsteadOfFollowingIt) {
  const fs::path target = dir_ / "outside";
  ASSERT_TRUE(WriteFileAtomically(target, "keep"));
  fs::create_symlink(target, dir_ / "data.ini");
  EXPECT_TRUE(WriteFileAtomically(dir_ / "data.ini", "new"));
  EXPECT_EQ(ReadWholeFile(target), std::optional<std::string>("keep"));
  EXPECT_FALSE(fs::is_symlink(dir_ / "data.ini"));
}

}  // namespace
}  // namespace wunt
