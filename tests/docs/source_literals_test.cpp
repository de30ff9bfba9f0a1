#include "tests/docs/source_literals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wunt {
namespace {

struct LiteralCase {
  const char* source;
  std::vector<std::string> literals;
};

TEST(SourceLiteralsTest, ReadsLiteralsAsTheCompilerJoinsAndDecodesThem) {
  const LiteralCase cases[] = {
      {R"(f("Fl\xE4" "che");)",
       {"Fl\xE4"
        "che"}},
      {"f(\"a\",\n   \"b\");", {"a", "b"}},
      {"x = \"a\" // \"not\"\n  \"b\";", {"ab"}},
      {R"(s = "\"q\" \\ \r\n";)", {"\"q\" \\ \r\n"}},
      {"c = '\"'; s = \"x\";", {"x"}},
      {"n = 1'000'000; s = \"y\";", {"y"}},
      {"/* \"no\" */ s = \"\xC3\xBC\";", {"\xFC"}},
      {"s = R\"(a\"b)\";", {"a\"b"}},
  };
  for (const LiteralCase& c : cases) {
    EXPECT_EQ(StringLiterals(c.source), c.literals) << c.source;
  }
}

TEST(SourceLiteralsTest, TextsSpelledByJoinedLiterals) {
  const std::vector<std::string> literals = {"Die Datei ", " (Runde ", ")",
                                             " fehlt oder kann nicht gelesen werden."};
  EXPECT_TRUE(SpelledByLiterals("Datei", literals));
  EXPECT_TRUE(SpelledByLiterals(") fehlt oder kann nicht gelesen werden.", literals));
  EXPECT_TRUE(SpelledByLiterals("Datei  (Runde )", literals));
  EXPECT_FALSE(SpelledByLiterals(") fehlt oder ist kaputt.", literals));
  EXPECT_FALSE(SpelledByLiterals("Die Datei fehlt", literals));
}

}  // namespace
}  // namespace wunt
