#include "common/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/file_util.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class IniFileTest : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& bytes) {
    fs::path path = dir_ / name;
    EXPECT_TRUE(WriteFileAtomically(path, bytes));
    return path;
  }
  std::string Read(const fs::path& path) { return ReadWholeFile(path).value_or("<missing>"); }

  test::ScratchFolder scratch_;
  const fs::path& dir_ = scratch_.path();
};

// Everything a reader sees, in one line per entry, so a table of inputs can
// be checked against the expected model.
std::string Dump(IniFile& ini) {
  std::string out;
  ini.SelectGroup("");
  if (ini.FirstKey()) {
    while (ini.NextKey()) out += "<" + ini.KeyName() + ">=<" + ini.KeyValue() + ">;";
  }
  if (ini.FirstGroup()) {
    while (ini.NextGroup()) {
      out += "[" + ini.GroupName() + "]";
      if (ini.FirstKey()) {
        while (ini.NextKey()) out += "<" + ini.KeyName() + ">=<" + ini.KeyValue() + ">;";
      }
    }
  }
  return out;
}

TEST(IniParseTest, LinesBecomeTheRightModel) {
  struct Case {
    std::string input;
    std::string model;
  };
  const Case cases[] = {
      {"", ""},
      {"  Name   =   Wert  ", "<Name>=<Wert>;"},
      {"a=b=c", "<a>=<b=c>;"},
      {"noequals", "<noequals>=<>;"},
      {"=v", "<>=<v>;"},
      {"\t k \t= \t v \t", "<k>=<v>;"},
      {"[G]\r\nk=1\r\nk=2\n\n\r\r[g]\rx=3", "[G]<k>=<1>;<k>=<2>;[g]<x>=<3>;"},
      {"[ Park ]junk\nk=1", "[ Park ]<k>=<1>;"},
      {"[open\nk=1", "[open]<k>=<1>;"},
      {";x\nk=1\n; y\n;\nj=2", "<k>=<1>;<j>=<2>;"},
      {"top=1\n[A]\n[B]\nb=2", "<top>=<1>;[A][B]<b>=<2>;"},
      {"  ;comment after blanks\n  [A]\n  k=1", "[A]<k>=<1>;"},
  };
  for (const Case& c : cases) {
    IniFile ini;
    ini.OpenIniFromBytes(c.input);
    EXPECT_EQ(Dump(ini), c.model) << c.input;
  }
}

// Short key lines are read by a vector fast path when enough bytes follow;
// the same line at the end of the file takes the general path. Both must
// give the stored name and value, around the 16- and 32-byte edges too.
TEST(IniParseTest, KeyLineReadsTheSameWhateverFollowsIt) {
  struct Case {
    std::string line;
    std::string name;
    std::string value;
  };
  const std::string x15(15, 'x'), x16(16, 'x'), x30(30, 'x'), x31(31, 'x'), x40(40, 'x');
  const Case cases[] = {
      {"a=b", "a", "b"},
      {"F3 = 1234567", "F3", "1234567"},
      {"k \t=\t v  ", "k", "v  "},
      {"a==b = c", "a", "=b = c"},
      {"noequals  ", "noequals", ""},
      {"=v", "", "v"},
      {"k =   ", "k", ""},
      {"k=a\0b\xfc"s, "k", "a\0b\xfc"s},
      {x15 + "=1", x15, "1"},
      {x16 + "=", x16, ""},
      {"k=" + x30, "k", x30},
      {x31, x31, ""},
      {"k=" + x40, "k", x40},
      {x40 + " = v", x40, "v"},
  };
  const std::string rest = "\r\n" + std::string(40, 'z') + "=1\r\n";
  for (const Case& c : cases) {
    for (const std::string& ending : {""s, "\r"s, "\n"s, "\r\n"s, rest, "\n" + rest}) {
      IniFile ini;
      ini.OpenIniFromBytes(c.line + ending);
      ASSERT_FALSE(ini.lines().empty());
      const IniFile::Line& first = ini.lines()[0];
      EXPECT_EQ(first.kind, IniFile::LineKind::kKey) << c.line;
      EXPECT_EQ(first.name, c.name) << c.line;
      EXPECT_EQ(first.value, c.value) << c.line;
    }
  }
}

TEST(IniParseTest, NulBytesAndHugeLinesAreData) {
  IniFile ini;
  std::string big(1 << 20, 'x');
  ini.OpenIniFromBytes("k=a\0b\n"s + "long=" + big + "\n[G\0H]\nz=1"s);
  EXPECT_EQ(ini.ReadString("k", "-"), std::string("a\0b", 3));
  EXPECT_EQ(ini.ReadString("long", "-"), big);
  EXPECT_TRUE(ini.SelectGroup(std::string("G\0H", 3)));
  EXPECT_EQ(ini.ReadLong("z", -1), 1);
}

TEST(IniParseTest, CrOnlyAndLfOnlyFilesParseAlike) {
  std::string lines;
  for (int i = 0; i < 1000; ++i) lines += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r";
  IniFile cr;
  cr.OpenIniFromBytes(lines);
  EXPECT_EQ(cr.lines().size(), 1000u);
  EXPECT_EQ(cr.ReadLong("k999", -1), 999);
}

TEST(IniLookupTest, GroupsAndKeysIgnoreCaseOfAToZOnly) {
  IniFile ini;
  ini.OpenIniFromBytes(
      "[Park]\nName=1\nname=2\n[park]\nName=3\n[ Park "
      "]\nx=4\n[L\xe4nder]\ny=5\n[L\xc4NDER]\ny=6\n");
  ASSERT_TRUE(ini.SelectGroup("PARK"));
  EXPECT_EQ(ini.ReadString("NAME", "-"), "1");  // first of the duplicates
  EXPECT_TRUE(ini.SelectGroup(" Park "));
  EXPECT_EQ(ini.ReadLong("x", 0), 4);
  EXPECT_TRUE(ini.SelectGroup("l\xe4NDER"));
  EXPECT_EQ(ini.ReadLong("y", 0), 5);
  EXPECT_TRUE(ini.SelectGroup("L\xc4nder"));
  EXPECT_EQ(ini.ReadLong("y", 0), 6);
}

TEST(IniLookupTest, MissingGroupReadsNothing) {
  IniFile ini;
  ini.OpenIniFromBytes("k=1\n[A]\nk=2\n");
  EXPECT_FALSE(ini.SelectGroup("B"));
  EXPECT_FALSE(ini.FirstKey());
  EXPECT_FALSE(ini.NextKey());
  EXPECT_EQ(ini.ReadString("k", "def"), "def");
  EXPECT_EQ(ini.ReadLong("k", 77), 77);
  EXPECT_TRUE(ini.SelectGroup(""));
  EXPECT_EQ(ini.ReadLong("k", 0), 1);
}

TEST(IniLookupTest, ReadLongIsDecimalOnly) {
  IniFile ini;
  ini.OpenIniFromBytes("a= -12x\nb=$10\nc=\nd= +7\ne=%11\n");
  EXPECT_EQ(ini.ReadLong("a", 9), -12);
  EXPECT_EQ(ini.ReadLong("b", 9), 0);
  EXPECT_EQ(ini.ReadLong("c", 9), 0);  // present but empty: not the default
  EXPECT_EQ(ini.ReadLong("d", 9), 7);
  EXPECT_EQ(ini.ReadLong("e", 9), 0);
  EXPECT_EQ(ini.ReadLong("zz", 9), 9);
}

TEST(IniCursorTest, NextKeyStopsAtGroupAndStaysOnLastKey) {
  IniFile ini;
  ini.OpenIniFromBytes("[A]\n;x\nk1=1\n;y\nk2=2\n[B]\nk3=3\n");
  ASSERT_TRUE(ini.SelectGroup("A"));
  ASSERT_TRUE(ini.FirstKey());
  ASSERT_TRUE(ini.NextKey());
  EXPECT_EQ(ini.KeyName(), "k1");
  ASSERT_TRUE(ini.NextKey());
  EXPECT_EQ(ini.KeyName(), "k2");
  EXPECT_FALSE(ini.NextKey());
  EXPECT_EQ(ini.KeyName(), "k2");
  EXPECT_EQ(ini.KeyValue(), "2");
}

TEST(IniCursorTest, NothingOpen) {
  IniFile ini;
  EXPECT_FALSE(ini.FirstKey());
  EXPECT_FALSE(ini.FirstGroup());
  EXPECT_FALSE(ini.NextGroup());
  EXPECT_EQ(ini.KeyName(), "");
  EXPECT_EQ(ini.ReadString("x", "d"), "d");
  EXPECT_TRUE(ini.CloseIni());
}

TEST_F(IniFileTest, WritesLandWhereTheyBelongAndRewriteInCrLf) {
  struct Case {
    const char* name;
    std::string input;
    std::string group;  // "" = before the first group
    std::string key, value;
    std::string expected;
  };
  const Case cases[] = {
      {"replace keeps place, takes new case", "[G]\nname = 1\nother=2\n", "G", "NAME", "9",
       "[G]\r\nNAME = 9\r\nother = 2\r\n"},
      {"append before next group", "[A]\na=1\n;c\n[B]\nb=2\n", "A", "n", "x",
       "[A]\r\na = 1\r\n; c\r\nn = x\r\n[B]\r\nb = 2\r\n"},
      {"top area goes before first group", "t=1\n[A]\na=1\n", "", "u", "2",
       "t = 1\r\nu = 2\r\n[A]\r\na = 1\r\n"},
      {"missing group appended at end", "[A]\na=1\n", "New", "k", "v",
       "[A]\r\na = 1\r\n[New]\r\nk = v\r\n"},
      {"empty file", "", "G", "k", "", "[G]\r\nk = \r\n"},
      {"values keep inner and trailing text", "[G]\nk=  a  b  \n", "G", "z", "1",
       "[G]\r\nk = a  b  \r\nz = 1\r\n"},
  };
  for (const Case& c : cases) {
    fs::path path = Write("f.ini", c.input);
    {
      IniFile ini;
      ASSERT_TRUE(ini.OpenIni(path));
      ini.SelectGroup(c.group);
      ini.WriteString(c.key, c.value);
      ASSERT_TRUE(ini.CloseIni());
    }
    EXPECT_EQ(Read(path), c.expected) << c.name;
  }
}

TEST_F(IniFileTest, UnchangedFileIsNotRewritten) {
  std::string original = "k=1\n\n\n[A]\n  x  =  y\n";
  fs::path path = Write("f.ini", original);
  IniFile ini;
  ASSERT_TRUE(ini.OpenIni(path));
  ini.SelectGroup("A");
  EXPECT_EQ(ini.ReadString("x", ""), "y");
  EXPECT_TRUE(ini.CloseIni());
  EXPECT_EQ(Read(path), original);
}

TEST_F(IniFileTest, RewriteIsStableAfterOneRoundTrip) {
  std::string messy = "\xEF\xBB\xBFtop = 1\r\n\r\n[A]\r\n;c\r\n  k=v  \r\n[A]\r\nk=w\r\nbare\r\n";
  fs::path path = Write("f.ini", messy);
  IniFile ini;
  ASSERT_TRUE(ini.OpenIni(path));
  ini.WriteLong("n", -5);  // top area
  ASSERT_TRUE(ini.CloseIni());
  std::string once = Read(path);
  EXPECT_EQ(
      once,
      "\xEF\xBB\xBFtop = 1\r\nn = -5\r\n[A]\r\n; c\r\nk = v  \r\n[A]\r\nk = w\r\nbare = \r\n");
  ASSERT_TRUE(ini.OpenIni(path));
  ini.WriteLong("n", -5);
  ASSERT_TRUE(ini.CloseIni());
  EXPECT_EQ(Read(path), once);
}

TEST(IniRewriteTest, FirstKeyStartingWithBomBytesStaysWindows1252) {
  IniFile ini;
  ini.OpenIniFromBytes("\r\n\xEF\xBB\xBF[G]=1\n");  // a key, not a group, and no UTF-8 mode
  ASSERT_FALSE(ini.utf8_mode());
  std::string once = ini.Serialize();
  IniFile again;
  again.OpenIniFromBytes(once);
  EXPECT_FALSE(again.utf8_mode());
  EXPECT_EQ(again.ReadString("\xEF\xBB\xBF[G]", "-"), "1");
  EXPECT_EQ(again.Serialize(), once);
}

TEST_F(IniFileTest, Utf8ModeConvertsBothWays) {
  // "Größe" in UTF-8 after a byte-order mark.
  fs::path path = Write("u.ini",
                        "\xEF\xBB\xBF[Gr\xC3\xB6\xC3\x9F"
                        "e]\nH\xC3\xB6he=W\xC3\xA4rme\n");
  IniFile ini;
  ASSERT_TRUE(ini.OpenIni(path));
  EXPECT_TRUE(ini.utf8_mode());
  ASSERT_TRUE(
      ini.SelectGroup("GR\xF6\xDF"
                      "E"));  // caller speaks Windows-1252
  EXPECT_EQ(ini.ReadString("h\xF6he", ""), "W\xE4rme");
  ASSERT_TRUE(ini.FirstKey() && ini.NextKey());
  EXPECT_EQ(ini.KeyName(), "H\xF6he");
  ini.WriteString("\xDC", "\xE4");
  ASSERT_TRUE(ini.CloseIni());
  EXPECT_EQ(Read(path),
            "\xEF\xBB\xBF[Gr\xC3\xB6\xC3\x9F"
            "e]\r\nH\xC3\xB6he = W\xC3\xA4rme\r\n\xC3\x9C = \xC3\xA4\r\n");
}

TEST_F(IniFileTest, ShortBomPrefixIsNotUtf8Mode) {
  IniFile ini;
  ini.OpenIniFromBytes("\xEF\xBB");
  EXPECT_FALSE(ini.utf8_mode());
  ini.OpenIniFromBytes("\xEF\xBB\xBF");
  EXPECT_TRUE(ini.utf8_mode());
  EXPECT_TRUE(ini.lines().empty());
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedOnWrite) {
  fs::path path = dir_ / "new.ini";
  IniFile ini;
  EXPECT_FALSE(ini.OpenIni(path));
  EXPECT_FALSE(ini.FirstGroup() && ini.NextGroup());
  EXPECT_EQ(ini.ReadString("k", "d"), "d");
  ini.SelectGroup("Calculation1");
  ini.WriteString("Name", "Besucher");
  ASSERT_TRUE(ini.CloseIni());
  EXPECT_EQ(Read(path), "[Calculation1]\r\nName = Besucher\r\n");
}

TEST_F(IniFileTest, CreateIniReplacesOnCloseOnly) {
  fs::path path = Write("c.ini", "old=1\n");
  IniFile ini;
  ASSERT_TRUE(ini.CreateIni(path));
  EXPECT_EQ(Read(path), "old=1\n");  // intact until the new content is complete
  ini.WriteString("new", "2");
  ASSERT_TRUE(ini.CloseIni());
  EXPECT_EQ(Read(path), "new = 2\r\n");
  ASSERT_TRUE(ini.CreateIni(path));
  ASSERT_TRUE(ini.CloseIni());
  EXPECT_EQ(Read(path), "");
}

TEST_F(IniFileTest, FailedWriteLeavesFileAndNoTemporaries) {
  fs::path path = Write("f.ini", "k=1\n");
  IniFile ini;
  ASSERT_TRUE(ini.OpenIni(path));
  ini.WriteString("k", "2");
  // Make the target impossible to replace: a non-empty folder of that name.
  fs::remove(path);
  fs::create_directories(path / "inside");
  EXPECT_FALSE(ini.CloseIni());
  EXPECT_TRUE(fs::is_directory(path / "inside"));
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(dir_)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);

  IniFile lost;
  ASSERT_FALSE(lost.OpenIni(dir_ / "no" / "such" / "dir.ini"));
  lost.WriteString("a", "b");
  EXPECT_FALSE(lost.CloseIni());
}

TEST_F(IniFileTest, ReadOnlyFileStaysUnchanged) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write read-only files";
  fs::path path = Write("ro.ini", "k=1\n");
  fs::permissions(path, fs::perms::owner_read);
  IniFile ini;
  ASSERT_TRUE(ini.OpenIni(path));
  ini.WriteString("k", "2");
  EXPECT_FALSE(ini.CloseIni());
  EXPECT_EQ(Read(path), "k=1\n");
}

TEST_F(IniFileTest, RemoveGroupTakesItsLinesAndLaterWritesRecreateIt) {
  fs::path path = Write("r.ini", "[A]\na=1\n[B]\nb=1\n;c\n[C]\nc=1\n[b]\nb=2\n");
  IniFile ini;
  ASSERT_TRUE(ini.OpenIni(path));
  ASSERT_TRUE(ini.SelectGroup("B"));
  EXPECT_TRUE(ini.RemoveGroup("b"));
  EXPECT_FALSE(ini.RemoveGroup("Missing"));
  EXPECT_EQ(ini.ReadString("b", "gone"), "gone");
  ini.WriteString("b", "3");          // the current group was removed: recreated at the end
  ASSERT_TRUE(ini.SelectGroup("B"));  // the old duplicate [b] is now first
  EXPECT_EQ(ini.ReadString("b", ""), "2");
  ASSERT_TRUE(ini.CloseIni());
  EXPECT_EQ(Read(path), "[A]\r\na = 1\r\n[C]\r\nc = 1\r\n[b]\r\nb = 2\r\n[B]\r\nb = 3\r\n");
}

TEST_F(IniFileTest, IterationSurvivesWritesAndRemovals) {
  IniFile ini;
  ini.OpenIniFromBytes("[A]\n[B]\n[C]\n[D]\n");
  std::string seen;
  ASSERT_TRUE(ini.FirstGroup());
  while (ini.NextGroup()) {
    seen += ini.GroupName();
    ini.WriteString("k", "v");  // inserts lines below the cursor
    if (ini.GroupName() == "B") ini.RemoveGroup("B");
  }
  EXPECT_EQ(seen, "ABCD");
  EXPECT_EQ(ini.Serialize(), "[A]\r\nk = v\r\n[C]\r\nk = v\r\n[D]\r\nk = v\r\n");
}

TEST_F(IniFileTest, SeveralFilesOpenAtOnce) {
  fs::path a = Write("a.ini", "[X]\nv=1\n");
  fs::path b = Write("b.ini", "[X]\nv=2\n");
  IniFile first, second;
  ASSERT_TRUE(first.OpenIni(a));
  ASSERT_TRUE(second.OpenIni(b));
  first.SelectGroup("X");
  second.SelectGroup("X");
  second.WriteLong("v", first.ReadLong("v", 0) + second.ReadLong("v", 0));
  EXPECT_TRUE(first.CloseIni());
  EXPECT_TRUE(second.CloseIni());
  EXPECT_EQ(Read(b), "[X]\r\nv = 3\r\n");
}

}  // namespace
}  // namespace wunt
