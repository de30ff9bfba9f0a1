#include "updater/image_store.h"

#include <gtest/gtest.h>

#include <map>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "tests/support/test_server.h"
#include "updater/http_client.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

fs::path FreshFolder(const std::string& name) {
  fs::path folder = fs::path(WUNT_BINARY_DIR) / "image_store_test" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

TEST(CollectPicturePaths, TakesTheDocumentedKeysInOrder) {
  fs::path year = FreshFolder("collect");
  WriteFileAtomically(year / "Attraction.ini",
                      "[7]\r\n20 = x\r\n21 = attraktionen/7.jpg\r\n"
                      "[8_Detail]\r\n21 = attraktionen/detail.jpg\r\n"
                      "[9]\r\n22 = attraktionen/none.jpg\r\n"
                      "[10]\r\n21 =\r\n"
                      "[11]\r\n21 = attraktionen/shared.jpg\r\n");
  std::string park =
      "[5]\r\n1 = a\r\n2 = b\r\n3 = c\r\n4 = d\r\n5 = e\r\n6 = f\r\n7 = attraktionen/park.jpg\r\n";
  park += "[5_Attractionlist]\r\n";
  const char* values[] = {"1", "0", "0", "0", "10", "20", "attraktionen/a.jpg",
                          "2", "0", "0", "0", "30", "40", "ATTRAKTIONEN/SHARED.JPG",
                          "3", "0", "0", "0", "50", "60"};
  for (int i = 0; i < 20; ++i) {
    if (i == 3) park += "; a comment is no key\r\n";
    park += 'k';
    park += std::to_string(i);
    park += std::string(" = ") + values[i] + "\r\n";
  }
  park +=
      "[6_Attractionlist]\r\na=1\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng = attraktionen/b.jpg\r\nh = 1\r\n";
  WriteFileAtomically(year / "Park.ini", park);

  EXPECT_EQ(CollectPicturePaths(year),
            (std::vector<std::string>{"attraktionen/7.jpg", "attraktionen/shared.jpg",
                                      "attraktionen/a.jpg", "attraktionen/b.jpg"}));
  EXPECT_TRUE(CollectPicturePaths(year / "missing").empty());
}

TEST(IsSafePicturePath, RejectsWhatCouldEscapeOrBreakARequest) {
  const std::pair<const char*, bool> cases[] = {
      {"attraktionen/186q.jpg", true},
      {"a/b/c.JPEG", true},
      {"pic.png", true},
      {"attraktionen/x.jpg/../../../etc", false},
      {"attraktionen/x.j_g", false},
      {"attraktionen/x.verylong", false},
      {"attraktionen/x.", false},
      {"attraktionen/noext", false},
      {"../x.jpg", false},
      {"a/../x.jpg", false},
      {"/etc/x.jpg", false},
      {"\\\\server\\x.jpg", false},
      {"c:x.jpg", false},
      {"a b.jpg", false},
      {"a.jpg HTTP/1.1\r\nHost: evil", false},
      {"a\tb.jpg", false},
      {"a=b.jpg", false},
      {"[a.jpg", false},
      {";a.jpg", false},
      {"", false},
  };
  for (const auto& [path, safe] : cases) {
    EXPECT_EQ(IsSafePicturePath(path), safe) << path;
  }
}

TEST(PictureFileName, SignedCrcAndExtension) {
  EXPECT_EQ(PictureFileName("123456789", "jpg"), "-873187034.jpg");  // CRC 0xCBF43926
  EXPECT_EQ(PictureFileName("abc", "gif"), "891568578.gif");         // CRC 0x352441C2
  EXPECT_EQ(PictureFileName("", "JPG"), "0.JPG");
}

TEST(StorePicture, NamesTakenByOtherBytesGetRandomDigitsInFront) {
  fs::path images = FreshFolder("store");
  std::mt19937 random(1);
  std::string name = PictureFileName("abc", "jpg");
  // Another picture with the same CRC-32 holds the name already.
  ASSERT_TRUE(WriteFileAtomically(images / name, "collides"));
  std::optional<std::string> second = StorePicture(images, "abc", "jpg", random);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->size(), name.size() + 1);
  EXPECT_EQ(second->substr(1), name);
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>((*second)[0])));
  EXPECT_EQ(ReadWholeFile(images / *second), "abc");
  EXPECT_EQ(ReadWholeFile(images / name), "collides");
  EXPECT_FALSE(StorePicture(images / "missing", "abc", "jpg", random).has_value());
}

// A run killed after storing a picture but before writing the index leaves
// the file; the next run must take it, not store a second copy.
TEST(StorePicture, SameBytesUnderTheNameAreTakenAsTheyAre) {
  fs::path images = FreshFolder("store_again");
  std::mt19937 random(1);
  std::optional<std::string> first = StorePicture(images, "abc", "jpg", random);
  std::optional<std::string> again = StorePicture(images, "abc", "jpg", random);
  ASSERT_TRUE(first && again);
  EXPECT_EQ(*first, *again);
  EXPECT_EQ(std::distance(fs::directory_iterator(images), {}), 1);
}

TEST(StorePicture, ALinkAtTheNameIsNeverFollowed) {
  fs::path images = FreshFolder("store_link");
  fs::path outside = FreshFolder("store_link_outside") / "target";
  ASSERT_TRUE(WriteFileAtomically(outside, "abc"));
  std::string name = PictureFileName("abc", "jpg");
  fs::create_symlink(outside, images / name);
  std::mt19937 random(1);
  std::optional<std::string> stored = StorePicture(images, "abc", "jpg", random);
  ASSERT_TRUE(stored);
  EXPECT_NE(*stored, name);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(images / *stored)));
}

class StoreYearPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    season_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    WriteFileAtomically(season_ / kImageStoreFile, "");
  }
  void MakeYear(const std::string& year, const std::vector<std::string>& pictures) {
    fs::create_directories(season_ / year);
    std::string attraction;
    for (size_t i = 0; i < pictures.size(); ++i) {
      attraction += '[';
      attraction += std::to_string(i + 1);
      attraction += "]\r\n21 = " + pictures[i] + "\r\n";
    }
    WriteFileAtomically(season_ / year / "Attraction.ini", attraction);
  }
  // Paths with "broken" fail, "gone" are not on the server, "huge" too
  // large; others come as "bytes of " + path.
  YearPicturesResult Store(const std::string& year, int attempts = 3) {
    std::mt19937 random(7);
    return StoreYearPictures(
        season_, year,
        [this](const std::string& path) {
          ++requests_[path];
          using Kind = PictureAnswer::Kind;
          if (path.find("broken") != std::string::npos) return PictureAnswer{};
          if (path.find("gone") != std::string::npos) return PictureAnswer{Kind::kNotOnServer, ""};
          if (path.find("huge") != std::string::npos) return PictureAnswer{Kind::kTooLarge, ""};
          if (path.find("same") != std::string::npos) return PictureAnswer{Kind::kPicture, "same"};
          return PictureAnswer{Kind::kPicture, "bytes of " + path};
        },
        random, attempts);
  }
  bool Run(const std::string& year, int attempts = 3) { return Store(year, attempts).complete; }
  std::string IndexValue(const std::string& path) {
    IniFile index;
    index.OpenIni(season_ / kImageStoreFile);
    return index.ReadString(path, "");
  }

  fs::path season_;
  std::map<std::string, int> requests_;
};

TEST_F(StoreYearPicturesTest, FetchesEachPathOncePerSeason) {
  MakeYear("1970", {"attraktionen/a.jpg", "attraktionen/b.png", "../evil.jpg"});
  MakeYear("1971", {"attraktionen/a.jpg", "attraktionen/c.jpg", "x.jpg/../../y"});
  ASSERT_TRUE(Run("1970"));
  ASSERT_TRUE(Run("1971"));
  EXPECT_EQ(requests_,
            (std::map<std::string, int>{
                {"attraktionen/a.jpg", 1}, {"attraktionen/b.png", 1}, {"attraktionen/c.jpg", 1}}));
  std::string a = IndexValue("attraktionen/a.jpg");
  EXPECT_EQ(a, "1970\\Images\\" + PictureFileName("bytes of attraktionen/a.jpg", "jpg"));
  EXPECT_EQ(ReadWholeFile(season_ / "1970" / "Images" / a.substr(12)),
            "bytes of attraktionen/a.jpg");
  EXPECT_EQ(IndexValue("attraktionen/c.jpg").substr(0, 12), "1971\\Images\\");
  EXPECT_TRUE(fs::is_empty(season_ / "1971" / "Images" / "..") == false);
  EXPECT_EQ(std::distance(fs::directory_iterator(season_ / "1971" / "Images"), {}), 1);
}

TEST_F(StoreYearPicturesTest, ManyPicturesAreAllIndexedUnderTheirOwnBytesAndNoTempIsLeft) {
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) paths.push_back("attraktionen/" + std::to_string(i) + ".jpg");
  paths.insert(paths.begin() + 3, "attraktionen/same1.jpg");
  paths.push_back("attraktionen/same2.jpg");
  paths.push_back("attraktionen/same3.jpg");
  MakeYear("1970", paths);
  ASSERT_TRUE(Run("1970"));
  fs::path images = season_ / "1970" / "Images";
  for (const std::string& path : paths) {
    std::string value = IndexValue(path);
    ASSERT_EQ(value.substr(0, 12), "1970\\Images\\") << path;
    bool same = path.find("same") != std::string::npos;
    EXPECT_EQ(ReadWholeFile(images / value.substr(12)), same ? "same" : "bytes of " + path);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(images), {}), 41) << "one file per content";
}

TEST_F(StoreYearPicturesTest, ABrokenPictureLeavesTheYearIncompleteAndIsResumed) {
  MakeYear("1970", {"attraktionen/broken.jpg", "attraktionen/ok.jpg"});
  EXPECT_FALSE(Run("1970", 4));
  EXPECT_EQ(requests_["attraktionen/broken.jpg"], 4);
  EXPECT_EQ(IndexValue("attraktionen/broken.jpg"), "");
  EXPECT_NE(IndexValue("attraktionen/ok.jpg"), "") << "what was stored is indexed";
  IniFile index;
  ASSERT_TRUE(index.OpenIni(season_ / kImageStoreFile));
  EXPECT_FALSE(YearPicturesComplete(season_, "1970", index, SettledPictures{}));

  // The next run asks only for what is missing, although "Images" exists.
  MakeYear("1970", {"attraktionen/repaired.jpg", "attraktionen/ok.jpg"});
  requests_.clear();
  EXPECT_TRUE(Run("1970"));
  EXPECT_EQ(requests_, (std::map<std::string, int>{{"attraktionen/repaired.jpg", 1}}));
  ASSERT_TRUE(index.OpenIni(season_ / kImageStoreFile));
  EXPECT_TRUE(YearPicturesComplete(season_, "1970", index, SettledPictures{}));
}

TEST_F(StoreYearPicturesTest, NeedsTheIndexAndRealFolders) {
  MakeYear("1970", {"attraktionen/a.jpg"});
  EXPECT_FALSE(Run("../1970")) << "a year is digits only";
  EXPECT_FALSE(fs::exists(season_.parent_path() / "1970"));

  // Links at the year or its "Images" folder lead outside the season.
  fs::path outside = FreshFolder(season_.filename().string() + "_outside");
  fs::create_directory_symlink(outside, season_ / "1970" / "Images");
  fs::create_directories(outside / "year");
  WriteFileAtomically(outside / "year" / "Attraction.ini", "[1]\r\n21 = attraktionen/b.jpg\r\n");
  fs::create_directory_symlink(outside / "year", season_ / "1972");
  EXPECT_FALSE(Run("1970"));
  EXPECT_FALSE(Run("1972"));
  EXPECT_TRUE(requests_.empty());
  EXPECT_TRUE(fs::is_empty(outside / "year") == false);
  EXPECT_FALSE(fs::exists(outside / "year" / "Images"));
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), {}), 1);

  MakeYear("1971", {"attraktionen/a.jpg"});
  fs::remove(season_ / kImageStoreFile);
  EXPECT_FALSE(Run("1971"));
  EXPECT_TRUE(requests_.empty());
  EXPECT_FALSE(fs::exists(season_ / kImageStoreFile)) << "the index is never created";
}

// A definite answer settles a picture: the year completes without it and
// no later run asks again. A failure stays open and is asked again.
TEST_F(StoreYearPicturesTest, DefiniteAnswersSettleAndFailuresStayOpen) {
  MakeYear("1970", {"attraktionen/gone.jpg", "attraktionen/huge.jpg", "attraktionen/ok.jpg",
                    "attraktionen/broken.jpg"});
  YearPicturesResult first = Store("1970", 3);
  EXPECT_FALSE(first.complete);
  EXPECT_EQ(first.too_large, (std::vector<std::string>{"attraktionen/huge.jpg"}));
  EXPECT_EQ(requests_, (std::map<std::string, int>{{"attraktionen/broken.jpg", 3},
                                                   {"attraktionen/gone.jpg", 1},
                                                   {"attraktionen/huge.jpg", 1},
                                                   {"attraktionen/ok.jpg", 1}}));
  EXPECT_EQ(IndexValue("attraktionen/gone.jpg"), "") << "the index format stays as it is";
  EXPECT_EQ(std::distance(fs::directory_iterator(season_ / "1970" / "Images"), {}), 1);

  requests_.clear();
  MakeYear("1970", {"attraktionen/GONE.jpg", "attraktionen/huge.jpg", "attraktionen/ok.jpg"});
  YearPicturesResult second = Store("1970");
  EXPECT_TRUE(second.complete);
  EXPECT_TRUE(second.too_large.empty());
  EXPECT_TRUE(requests_.empty());
  SettledPictures settled;
  settled.Load(season_);
  IniFile index;
  ASSERT_TRUE(index.OpenIni(season_ / kImageStoreFile));
  EXPECT_TRUE(YearPicturesComplete(season_, "1970", index, settled));
  EXPECT_FALSE(YearPicturesComplete(season_, "1970", index, SettledPictures{}));
}

// Pictures of several years share a batch: the index on disk names none of
// them before the batch is on the disk, a path two years need is fetched
// once, and a failed picture fails only the years that need it.
TEST_F(StoreYearPicturesTest, BatchesSpanYearsAndTheIndexWaitsForThem) {
  MakeYear("1970", {"attraktionen/a.jpg", "attraktionen/broken.jpg"});
  MakeYear("1971", {"attraktionen/a.jpg", "attraktionen/b.jpg"});
  MakeYear("1972", {"attraktionen/broken.jpg"});
  MakeYear("1973", {"attraktionen/c.jpg", "attraktionen/gone.jpg"});
  std::mt19937 random(7);
  SeasonPictureStore store(season_, random, 2);
  PictureFetcher fetch = [this](const std::string& path) {
    ++requests_[path];
    if (path.find("broken") != std::string::npos) return PictureAnswer{};
    if (path.find("gone") != std::string::npos) {
      return PictureAnswer{PictureAnswer::Kind::kNotOnServer, ""};
    }
    return PictureAnswer{PictureAnswer::Kind::kPicture, "bytes of " + path};
  };
  for (const char* year : {"1970", "1971", "1972", "1973"}) store.StoreYear(year, fetch);
  EXPECT_EQ(IndexValue("attraktionen/a.jpg"), "") << "named before it is on the disk";
  EXPECT_EQ(store.Finish(), (std::vector<std::string>{"1971", "1973"}));
  EXPECT_EQ(requests_, (std::map<std::string, int>{{"attraktionen/a.jpg", 1},
                                                   {"attraktionen/b.jpg", 1},
                                                   {"attraktionen/broken.jpg", 4},
                                                   {"attraktionen/c.jpg", 1},
                                                   {"attraktionen/gone.jpg", 1}}));
  IniFile index;
  ASSERT_TRUE(index.OpenIni(season_ / kImageStoreFile));
  SettledPictures settled;
  settled.Load(season_);
  for (const char* year : {"1971", "1973"}) {
    EXPECT_TRUE(YearPicturesComplete(season_, year, index, settled)) << year;
  }
  EXPECT_EQ(
      ReadWholeFile(season_ / "1970" / "Images" / IndexValue("attraktionen/a.jpg").substr(12)),
      "bytes of attraktionen/a.jpg");
}

TEST(SettledPictures, KeepsOnlySafePathsWithAKnownReason) {
  fs::path season = FreshFolder("settled");
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"a/x.jpg = nicht auf dem Server\r\nb.png = zu gross\r\n", {"a/x.jpg", "B.PNG"}},
      {"; ein Kommentar\r\n\xff\x01 m\xfcll\r\nc.jpg=zu gross\r\n[Gruppe]\r\nd.jpg = zu gross\r\n",
       {"c.jpg"}},
      {"e.jpg = vielleicht\r\n../f.jpg = zu gross\r\ng = zu gross\r\n", {}},
      {std::string("h.jpg = zu gross\r\n") + std::string(SettledPictures::kMaxFileBytes, ';'), {}},
  };
  for (const auto& [text, settled_paths] : cases) {
    ASSERT_TRUE(WriteFileAtomically(season / kSettledPicturesFile, text));
    SettledPictures settled;
    settled.Load(season);
    EXPECT_EQ(settled.size(), settled_paths.size()) << text.substr(0, 80);
    for (const std::string& path : settled_paths) EXPECT_TRUE(settled.Contains(path)) << path;
  }
}

TEST(SettledPictures, WritesWhatItSettledAndStaysBounded) {
  fs::path season = FreshFolder("settled_bound");
  SettledPictures settled;
  settled.Load(season);
  EXPECT_FALSE(settled.Settle("../x.jpg", SettledReason::kNotOnServer));
  for (size_t i = 0; i < SettledPictures::kMaxEntries; ++i) {
    ASSERT_TRUE(settled.Settle("p/" + std::to_string(i) + ".jpg", SettledReason::kTooLarge));
  }
  EXPECT_FALSE(settled.Settle("p/one-more.jpg", SettledReason::kNotOnServer));
  ASSERT_TRUE(settled.Save(season));
  SettledPictures again;
  again.Load(season);
  EXPECT_EQ(again.size(), SettledPictures::kMaxEntries);
  EXPECT_TRUE(again.Contains("p/0.jpg"));
}

TEST(ReadPictureAnswer, SortsAnswersIntoPicturesSettlementsAndFailures) {
  using Kind = PictureAnswer::Kind;
  const std::string over(kMaxPictureBytes + 1, 'x');
  const struct {
    const char* what;
    std::string response;
    Kind kind;
  } cases[] = {
      {"picture", test::PlainResponse("jpeg bytes"), Kind::kPicture},
      {"not found", test::PlainResponse("<html>404</html>", "404 Not Found"), Kind::kNotOnServer},
      {"gone", test::PlainResponse("", "410 Gone"), Kind::kNotOnServer},
      {"server error", test::PlainResponse("<html>500</html>", "500 Internal Server Error"),
       Kind::kFailed},
      {"forbidden", test::PlainResponse("no", "403 Forbidden"), Kind::kFailed},
      {"empty", test::PlainResponse(""), Kind::kFailed},
      {"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc", Kind::kFailed},
      {"no answer", "", Kind::kFailed},
      {"announced too large",
       "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(uint64_t{4} << 30) + "\r\n\r\nab",
       Kind::kTooLarge},
      {"arriving too large",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
           [&] {
             char size[16];
             std::snprintf(size, sizeof size, "%zX", over.size());
             return std::string(size);
           }() +
           "\r\n" + over + "\r\n0\r\n\r\n",
       Kind::kTooLarge},
  };
  for (const auto& c : cases) {
    HttpConnection connection(std::make_unique<MemoryByteStream>(c.response));
    PictureAnswer answer = ReadPictureAnswer(&connection);
    EXPECT_EQ(answer.kind, c.kind) << c.what;
    EXPECT_EQ(answer.bytes.empty(), c.kind != Kind::kPicture) << c.what;
  }
}

TEST(FetchPictureFromServer, AnErrorPageIsABody) {
  test::TestServer server([](int fd, const std::string&) {
    test::SendPieces(fd, test::PlainResponse("<html>404</html>", "404 Not Found"));
  });
  EXPECT_EQ(FetchPictureFromServer("127.0.0.1", server.port(), "attraktionen/x.jpg"),
            "<html>404</html>");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].substr(0, 34), "GET /attraktionen/x.jpg HTTP/1.1\r\n");
}

RasterImage Pattern(int width, int height) {
  RasterImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.SetPixel(x, y, Rgb{static_cast<uint8_t>(x * 3), static_cast<uint8_t>(y * 3), 9});
    }
  }
  return image;
}

TEST(FixPictureSizes, TilesWrongSizesIntoBitmaps) {
  fs::path season = FreshFolder("fix");
  fs::create_directories(season / "1970" / "Images");
  struct Row {
    const char* path;
    const char* file;
    int width;
    int height;
  };
  // Row 1 is 250 x 50, row 2 50 x 250, row 8 250 x 250.
  SaveBmp(Pattern(50, 50), season / "1970/Images/1.jpg");
  SaveBmp(Pattern(250, 50), season / "1970/Images/2.jpg");
  SaveJpeg(Pattern(80, 80), season / "1970/Images/3.jpg", 95);
  SaveBmp(Pattern(20, 20), season / "1970/Images/4.jpg");
  WriteFileAtomically(season / "1970/Images/5.jpg", "not a picture");
  SaveBmp(Pattern(200, 250), season / "1970/Images/6.jpg");
  WriteFileAtomically(season / kImageStoreFile,
                      "attraktionen/188q.jpg = 1970\\Images\\6.jpg\r\n"
                      "attraktionen/192h.jpg = 1970\\Images\\6.jpg\r\n"
                      "attraktionen/186q.jpg = 1970\\Images\\1.jpg\r\n"
                      "attraktionen/190q.jpg = 1970\\Images\\2.jpg\r\n"
                      "attraktionen/182h.jpg = 1970\\Images\\3.jpg\r\n"
                      "attraktionen/191q.jpg = 1970\\Images\\4.jpg\r\n"
                      "attraktionen/184h.jpg = 1970\\Images\\5.jpg\r\n"
                      "attraktionen/183h.jpg = ..\\outside.jpg\r\n");
  SaveBmp(Pattern(10, 10), season.parent_path() / "outside.jpg");
  std::string untouched = *ReadWholeFile(season / "1970/Images/2.jpg");

  FixPictureSizes(season);

  std::optional<RasterImage> one = LoadImageFile(season / "1970/Images/1.jpg");
  ASSERT_TRUE(one);
  EXPECT_EQ(DetectImageFormat(*ReadWholeFile(season / "1970/Images/1.jpg")), ImageFormat::kBmp);
  EXPECT_EQ(*one, [] {
    RasterImage expected(250, 50);
    for (int x = 0; x < 250; x += 50) expected.Draw(Pattern(50, 50), x, 0);
    return expected;
  }());
  EXPECT_EQ(ReadWholeFile(season / "1970/Images/2.jpg"), untouched);

  std::optional<RasterImage> three = LoadImageFile(season / "1970/Images/3.jpg");
  std::optional<RasterImage> source = LoadImageFile(season / "1970/Images/3.jpg");
  ASSERT_TRUE(three);
  EXPECT_EQ(three->width(), 50);
  EXPECT_EQ(three->height(), 250);
  EXPECT_EQ(three->Pixel(10, 60), three->Pixel(10, 10)) << "every cell repeats the corner";
  EXPECT_EQ(three->Pixel(10, 210), three->Pixel(10, 10));

  std::optional<RasterImage> four = LoadImageFile(season / "1970/Images/4.jpg");
  ASSERT_TRUE(four);
  EXPECT_EQ(four->width(), 250);
  EXPECT_EQ(four->Pixel(60, 60), Pattern(20, 20).Pixel(10, 10));
  EXPECT_EQ(four->Pixel(30, 30), (Rgb{0, 0, 0})) << "cells a small picture leaves open stay black";

  EXPECT_EQ(ReadWholeFile(season / "1970/Images/5.jpg"), "not a picture");
  // Named by two rows: the second tiles what the first left, although the
  // picture had its size at first.
  auto tiled = [](const RasterImage& picture, int width, int height) {
    RasterImage result(width, height, Rgb{0, 0, 0});
    for (int x = 0; x < width; x += 50) {
      for (int y = 0; y < height; y += 50) result.Draw(picture, x, y);
    }
    return result;
  };
  EXPECT_EQ(LoadImageFile(season / "1970/Images/6.jpg"),
            tiled(tiled(Pattern(200, 250), 650, 50), 200, 250));
  EXPECT_EQ(LoadImageFile(season.parent_path() / "outside.jpg")->width(), 10);
}

// A linked year folder, "Images" folder, picture or index leads outside the
// season: nothing there is read or rewritten.
TEST(FixPictureSizes, FollowsNoLink) {
  const fs::path root = FreshFolder("fix_links");
  const fs::path outside = root / "outside";
  fs::create_directories(outside / "Images");
  SaveBmp(Pattern(50, 50), outside / "Images" / "1.jpg");
  const std::string picture = *ReadWholeFile(outside / "Images" / "1.jpg");
  const std::string index = "attraktionen/186q.jpg = 1970\\Images\\1.jpg\r\n";
  WriteFileAtomically(outside / "index.ini", index);
  const struct {
    const char* name;
    const char* link;  // in the season
    fs::path target;
  } cases[] = {
      {"year folder", "1970", outside},
      {"Images folder", "1970/Images", outside / "Images"},
      {"picture", "1970/Images/1.jpg", outside / "Images" / "1.jpg"},
      {"index", "ImageStore.ini", outside / "index.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path season = root / "season";
    fs::remove_all(season);
    fs::create_directories(season / "1970" / "Images");
    SaveBmp(Pattern(50, 50), season / "1970" / "Images" / "1.jpg");
    if (std::string(c.name) != "index") WriteFileAtomically(season / kImageStoreFile, index);
    fs::remove_all(season / c.link);
    fs::create_symlink(c.target, season / c.link);

    FixPictureSizes(season);

    EXPECT_EQ(ReadWholeFile(outside / "Images" / "1.jpg"), picture);
    EXPECT_TRUE(fs::is_symlink(season / c.link));
    if (std::string(c.name) == "index") {
      EXPECT_EQ(LoadImageFile(season / "1970" / "Images" / "1.jpg")->width(), 50)
          << "a linked index is not read";
    }
  }
}

}  // namespace
}  // namespace wunt
