// The player's Readme.txt as the build writes it beside the Viewer: its
// bytes, and every example in it worked out again by the code it describes,
// so that a changed engine or a wrong example fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/docs/source_literals.h"
#include "viewer/attractions/catalogue_model.h"
#include "viewer/calc/calculations.h"
#include "viewer/calc/formula.h"
#include "viewer/calc/number_format.h"

namespace wunt {
namespace {

constexpr size_t kMaxLineLength = 78;

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::string& ReadmeBytes() {
  static const std::string bytes =
      ReadBytes(std::filesystem::path(WUNT_BINARY_DIR) / "viewer" / "Readme.txt");
  return bytes;
}

std::vector<std::string> ReadmeLines() {
  std::vector<std::string> lines;
  const std::string& text = ReadmeBytes();
  size_t start = 0;
  for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// The lines of the section whose heading begins with `number` + ". ", up to
// the next heading (a line that starts with a digit).
std::vector<std::string> Section(char number) {
  const std::vector<std::string> lines = ReadmeLines();
  const std::string heading = std::string(1, number) + ". ";
  std::vector<std::string> section;
  bool inside = false;
  for (const std::string& line : lines) {
    const bool is_heading = !line.empty() && line[0] >= '0' && line[0] <= '9';
    if (is_heading) inside = line.compare(0, heading.size(), heading) == 0;
    if (inside && !is_heading) section.push_back(line);
  }
  return section;
}

// The columns of a table line: the text between runs of two or more blanks.
std::vector<std::string> Columns(std::string_view line) {
  std::vector<std::string> columns;
  size_t pos = line.find_first_not_of(' ');
  while (pos != std::string_view::npos) {
    size_t end = line.find("  ", pos);
    if (end == std::string_view::npos) end = line.size();
    columns.emplace_back(line.substr(pos, end - pos));
    pos = line.find_first_not_of(' ', end);
  }
  return columns;
}

// The rows below the header line that begins with `header`, up to the next
// empty line.
std::vector<std::vector<std::string>> TableRows(const std::vector<std::string>& section,
                                                const std::vector<std::string>& header) {
  std::vector<std::vector<std::string>> rows;
  bool inside = false;
  for (const std::string& line : section) {
    if (!inside) {
      const std::vector<std::string> columns = Columns(line);
      inside = columns.size() >= header.size() &&
               std::equal(header.begin(), header.end(), columns.begin());
      continue;
    }
    if (line.empty()) break;
    rows.push_back(Columns(line));
  }
  return rows;
}

std::string Collapsed(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string WithoutDots(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != '.') out += c;
  }
  return out;
}

TEST(ReadmeTest, IsWindows1252PlainTextWithCrLf) {
  const std::string& bytes = ReadmeBytes();
  ASSERT_FALSE(bytes.empty()) << "the build writes viewer/Readme.txt";
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  bool umlaut = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    SCOPED_TRACE("byte " + std::to_string(i));
    if (c == '\r') {
      EXPECT_EQ(bytes[i + 1], '\n') << "a CR without its LF";
    }
    if (c == '\n') {
      EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "an LF without its CR";
    }
    EXPECT_FALSE(c < 0x20 && c != '\r' && c != '\n') << "control character " << int{c};
    // Bytes that Windows-1252 leaves undefined.
    EXPECT_FALSE(c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D);
    // A UTF-8 umlaut read as Windows-1252 shows as two characters.
    EXPECT_FALSE(c == 0xC3 && i + 1 < bytes.size() &&
                 static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(bytes[i + 1]) <= 0xBF)
        << "UTF-8 bytes";
    umlaut = umlaut || c == 0xE4 || c == 0xF6 || c == 0xFC;
  }
  EXPECT_TRUE(umlaut) << "German text has umlauts";
  for (const std::string& line : ReadmeLines()) {
    EXPECT_LE(line.size(), kMaxLineLength) << line;
  }
}

TEST(ReadmeTest, HasEverySection) {
  for (char number = '1'; number <= '9'; ++number) {
    EXPECT_GE(Section(number).size(), 5u) << "section " << number;
  }
}

// A result as the table writes it: German decimals, "unendlich".
double StatedResult(const std::string& text, double& tolerance) {
  if (text == "unendlich") {
    tolerance = 0;
    return std::numeric_limits<double>::infinity();
  }
  std::string number = text;
  const size_t comma = number.find(',');
  tolerance = 0;
  if (comma != std::string::npos) {
    number[comma] = '.';
    tolerance = 0.5 * std::pow(10.0, -static_cast<double>(number.size() - comma - 1));
  }
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  EXPECT_EQ(*end, '\0') << "not a number: " << text;
  return value;
}

TEST(ReadmeTest, FormulaExamplesGiveTheirResults) {
  const auto rows = TableRows(Section('4'), {"Formel", "Ergebnis", "Wert"});
  EXPECT_GE(rows.size(), 15u);
  for (const auto& row : rows) {
    ASSERT_GE(row.size(), 3u) << row[0];
    SCOPED_TRACE("formula " + row[0]);
    double tolerance = 0;
    const double stated = StatedResult(row[1], tolerance);
    const double result = EvaluateFormula(row[0]);
    if (std::isinf(stated)) {
      EXPECT_EQ(result, stated);
    } else {
      EXPECT_NEAR(result, stated, tolerance);
    }
    // What the table shows: a result that is no number counts as no value.
    int64_t value = EvaluateFormulaToInteger(row[0]);
    if (value == std::numeric_limits<int64_t>::min()) value = 0;
    EXPECT_EQ(std::to_string(value), row[2]);
  }
}

TEST(ReadmeTest, FunctionCodesAreTheEngines) {
  const std::vector<std::string> section = Section('4');
  std::map<int, std::string> listed;
  for (const std::string& line : section) {
    const std::vector<std::string> columns = Columns(line);
    // "1  sqr     Quadratwurzel"
    if (columns.size() != 3) continue;
    const std::string& code = columns[0];
    if (code.empty() || code.size() > 2 ||
        code.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    listed[std::atoi(code.c_str())] = columns[1];
  }
  ASSERT_EQ(listed.size(), std::size(kFormulaFunctionNames) - 1);
  for (const auto& [code, name] : listed) {
    ASSERT_LT(static_cast<size_t>(code), std::size(kFormulaFunctionNames));
    EXPECT_EQ(name, kFormulaFunctionNames[code]) << "code " << code;
  }
}

TEST(ReadmeTest, DisplayFormatExamplesShowAsStated) {
  const auto rows = TableRows(Section('3'), {"Wert", "Schl\xFCssel", "Anzeige"});
  EXPECT_GE(rows.size(), 10u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u) << row[0];
    SCOPED_TRACE("key " + row[1] + " with " + row[0]);
    // The key is read as the calculation loading reads it.
    LoadedCalculation calculation;
    AppendValue(calculation, row[1], "");
    ASSERT_EQ(calculation.values.size(), 1u);
    const int64_t value = std::strtoll(row[0].c_str(), nullptr, 10);
    // A page shows a run of blanks as one.
    EXPECT_EQ(Collapsed(FormatValue(value, calculation.values[0])), row[2]);
  }
}

// The yearly cost with only `terms` switched on: without a point term the
// points are the yearly cost in millions.
std::string YearlyCost(CatalogueEntry entry, std::initializer_list<WeightTerm> terms) {
  CatalogueSettings settings;
  settings.terms = 0;
  for (WeightTerm term : terms) settings.terms |= 1 << term;
  ComputeCataloguePoints(settings, entry);
  return FormatThousands(std::llround(entry.total_points * 1'000'000));
}

// The worked example: first the attraction's figures, then the lines with
// "=" and their results.
struct WorkedExample {
  std::vector<std::pair<std::string, std::string>> figures;
  std::vector<std::pair<std::string, std::string>> results;
};

WorkedExample ReadWorkedExample() {
  WorkedExample example;
  const std::vector<std::string> section = Section('6');
  size_t i = 0;
  while (i < section.size() && section[i].rfind("  Rechenbeispiel", 0) != 0) ++i;
  while (i < section.size() && !section[i].empty()) ++i;  // the paragraph
  for (++i; i < section.size() && !section[i].empty(); ++i) {
    const std::vector<std::string> columns = Columns(section[i]);
    if (columns.size() == 2) example.figures.emplace_back(columns[0], columns[1]);
  }
  std::string pending;  // a line whose "=" comes on the next one
  for (++i; i < section.size() && !section[i].empty(); ++i) {
    const std::string& line = section[i];
    const size_t equals = line.rfind('=');
    const std::vector<std::string> columns = Columns(line);
    const std::string label = columns.empty() || columns[0].front() == '=' ? pending : columns[0];
    if (equals == std::string::npos) {
      pending = label;
      continue;
    }
    example.results.emplace_back(label, Collapsed(line.substr(equals + 1)));
  }
  return example;
}

TEST(ReadmeTest, WorkedCatalogueExampleComesOut) {
  const WorkedExample example = ReadWorkedExample();
  CatalogueEntry entry;
  entry.category = 1;
  for (const auto& [label, text] : example.figures) {
    const int32_t number = static_cast<int32_t>(std::atol(WithoutDots(text).c_str()));
    const auto decimal = static_cast<float>(std::atof(text.c_str()));
    if (label == "Kosten") {
      entry.cost = number;
    } else if (label == "Unterhalt") {
      entry.maintenance = number;
    } else if (label == "Personal") {
      entry.staff = number;
    } else if (label ==
               "Fl\xE4"
               "che") {
      entry.width = std::atoi(text.c_str());
      entry.depth = std::atoi(text.substr(text.find('x') + 1).c_str());
    } else if (label == "Kapazit\xE4t") {
      entry.capacity = number;
    } else if (label == "Zielgruppe A") {
      entry.target_a = decimal;
    } else if (label == "Zielgruppe B") {
      entry.target_b = decimal;
    } else if (label == "Zielgruppe C") {
      entry.target_c = decimal;
    } else if (label == "Atmosph\xE4re") {
      entry.atmosphere = number;
    } else {
      ADD_FAILURE() << "unknown figure " << label;
    }
  }
  EXPECT_EQ(example.figures.size(), 9u);

  CatalogueEntry scored = entry;
  ComputeCataloguePoints(CatalogueSettings(), scored);
  const std::map<std::string, int> cells = {{"Personalkosten", 5},
                                            {"Fl\xE4"
                                             "chenkosten",
                                             7},
                                            {"Kap. Pkt.", 9},
                                            {"ZG A Pkt.", 11},
                                            {"ZG B Pkt.", 13},
                                            {"ZG C Pkt.", 15},
                                            {"Atmo. Pkt.", 17},
                                            {"Gesamtpunkte", 1}};
  const std::map<std::string, std::string> costs = {
      {"Kaufpreis je Jahr", YearlyCost(entry, {kTermPurchase})},
      {"Unterhalt je Jahr", YearlyCost(entry, {kTermMaintenance})},
      {"Fl\xE4"
       "che je Jahr",
       YearlyCost(entry, {kTermGround})},
      {"Jahreskosten",
       YearlyCost(entry, {kTermPurchase, kTermMaintenance, kTermStaff, kTermGround})}};
  std::set<std::string> seen;
  for (const auto& [label, stated] : example.results) {
    SCOPED_TRACE(label);
    seen.insert(label);
    if (auto cell = cells.find(label); cell != cells.end()) {
      EXPECT_EQ(CatalogueCellText(scored, cell->second), stated);
    } else if (auto cost = costs.find(label); cost != costs.end()) {
      EXPECT_EQ(cost->second, stated);
    } else {
      ADD_FAILURE() << "unknown result line";
    }
  }
  EXPECT_EQ(seen.size(), cells.size() + costs.size()) << "every step of the example is there";
}

// The texts between » and « in the messages section, lines joined by one
// blank.
std::vector<std::string> QuotedMessages() {
  std::string text;
  for (const std::string& line : Section('9')) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    text += ' ';
    text += line.substr(start);
  }
  std::vector<std::string> messages;
  for (size_t open = text.find('\xBB'); open != std::string::npos;
       open = text.find('\xBB', open + 1)) {
    const size_t close = text.find('\xAB', open);
    if (close == std::string::npos) {
      ADD_FAILURE() << "a \xBB without its \xAB";
      break;
    }
    messages.push_back(text.substr(open + 1, close - open - 1));
  }
  return messages;
}

TEST(ReadmeTest, ListedMessagesAreTheProgramsOwn) {
  std::vector<std::string> literals;
  for (const char* folder : {"viewer", "common", "updater"}) {
    for (std::string& literal :
         StringLiteralsBelow(std::filesystem::path(WUNT_SOURCE_DIR) / folder)) {
      literals.push_back(std::move(literal));
    }
  }
  const std::vector<std::string> messages = QuotedMessages();
  EXPECT_GE(messages.size(), 30u);
  for (const std::string& message : messages) {
    // <...> stands for the part that changes from case to case.
    size_t pos = 0;
    while (pos < message.size()) {
      const size_t open = message.find('<', pos);
      const std::string fixed = message.substr(pos, open - pos);
      if (!fixed.empty()) {
        EXPECT_TRUE(SpelledByLiterals(fixed, literals)) << "\"" << fixed << "\" in: " << message;
      }
      if (open == std::string::npos) break;
      const size_t close = message.find('>', open);
      ASSERT_NE(close, std::string::npos) << message;
      pos = close + 1;
    }
  }
}

}  // namespace
}  // namespace wunt
