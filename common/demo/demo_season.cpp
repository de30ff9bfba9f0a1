#include "common/demo/demo_season.h"

#include <fcntl.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "common/file_util.h"
#include "common/ini_text.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/season_support_files.h"
#include "common/text.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

// splitmix64: tiny, fast, and the same sequence on every platform (the
// standard distributions are not).
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Inclusive range.
  int64_t Uniform(int64_t low, int64_t high) {
    return low + static_cast<int64_t>(Next() % static_cast<uint64_t>(high - low + 1));
  }
  double Real() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  bool Chance(double p) { return Real() < p; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Next() % items.size())];
  }

 private:
  uint64_t state_;
};

// Money in the data files carries thousands dots: 1.234.567.
std::string Grouped(int64_t value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

// One decimal with a comma: 875 -> "87,5".
std::string Tenths(int64_t value) {
  return std::to_string(value / 10) + "," + std::to_string(value % 10);
}

// ---- fixed vocabulary (Windows-1252 bytes) ----

const std::vector<std::string> kParkKinds = {"Freizeitpark",  "Erlebnispark", "M\xe4rchenpark",
                                             "Abenteuerland", "Familienpark", "Vergn\xfcgungspark",
                                             "Zauberwelt",    "Erlebniswelt"};

const std::vector<std::string> kPlaces = {"Sonnental",
                                          "B\xe4renh\xf6hle",
                                          "Gr\xfcnwald",
                                          "M\xf6wenbucht",
                                          "\xdc"
                                          "berlingen",
                                          "Sch\xf6nau",
                                          "L\xfcneburg",
                                          "Wei\xdf"
                                          "ensee",
                                          "Fuchsberg",
                                          "Adlerhorst",
                                          "Kr\xe4henwinkel",
                                          "Seeblick",
                                          "Drachenfels",
                                          "M\xfchlental",
                                          "Eichenhain",
                                          "Rosengarten",
                                          "Ostseestrand",
                                          "Heidekrug",
                                          "K\xf6nigsbrunn",
                                          "Felsenburg",
                                          "Wolkenstein",
                                          "Birkenau",
                                          "Tannenh\xf6he",
                                          "Wiesengrund",
                                          "Schlo\xdf"
                                          "berg"};

const std::vector<std::string> kFamilies = {"M\xfcller",
                                            "Sch\xe4"
                                            "fer",
                                            "K\xf6hler",
                                            "Wei\xdf",
                                            "Gro\xdf",
                                            "Br\xfc"
                                            "ckner",
                                            "Hoffmann",
                                            "J\xe4ger",
                                            "Schr\xf6"
                                            "der",
                                            "Becker",
                                            "Kr\xfcger",
                                            "Wagner",
                                            "Hartmann",
                                            "Lehmann",
                                            "Fr\xf6hlich",
                                            "Vogt"};

const std::vector<std::string> kFirstNames = {"J\xfcrgen", "Bj\xf6rn", "Anja",  "Sabine",
                                              "G\xfcnter", "Katrin",   "Uwe",   "Marl\xe8ne",
                                              "Dieter",    "S\xf6ren", "Heike", "Jens"};

const std::vector<std::string> kCompanyForms = {"Freizeit GmbH", "Unterhaltung AG",
                                                "& S\xf6hne KG", "Erlebnis GmbH",
                                                "Holding",       "Parkbetriebe GmbH"};

struct AttractionKind {
  int32_t category;
  std::vector<std::string> names;
  std::string phrase;
};

const std::vector<AttractionKind> kAttractionKinds = {
    {1,
     {"Holzachterbahn", "Looping-Achterbahn", "Wilde Maus", "Hyper-Coaster", "Bobbahn",
      "Katapult-Achterbahn"},
     "Schnelle Fahrt mit steilen Abfahrten und engen Kurven."},
    {2,
     {"Geisterbahn", "Piratenfahrt", "Dschungelexpedition", "M\xe4rchenfahrt", "Gruselschlo\xdf",
      "Raumstation"},
     "Eine Reise durch eine liebevoll gestaltete Themenwelt."},
    {3,
     {"Wildwasserbahn", "Rafting", "Wasserrutsche", "Bootsfahrt", "Splash-Tower"},
     "Nasse Abk\xfchlung f\xfcr hei\xdf"
     "e Sommertage."},
    {4,
     {"Freifallturm", "Top Spin", "Kettenflieger", "Breakdance", "Schiffschaukel", "Frisbee"},
     "Rasante Bewegungen, nichts f\xfcr schwache Nerven."},
    {5,
     {"Riesenrad", "Panoramaturm", "Parkeisenbahn", "Oldtimerfahrt", "Spiegelkabinett"},
     "Gem\xfctliche Fahrt mit sch\xf6nem Ausblick."},
    {6,
     {"Kinderkarussell", "Ponyreiten", "Teetassen", "Mini-Autoscooter", "Kinderzug"},
     "Sicherer Spa\xdf f\xfcr die Kleinsten."},
    {7,
     {"Delfinshow", "Stuntshow", "Zaubertheater", "Papageienshow", "4D-Kino", "Eisrevue"},
     "Vorstellungen mehrmals am Tag, ideal zum Ausruhen."},
};

const std::vector<std::string> kVariants = {"Standard", "Deluxe", "Kompakt", "XXL", "Familie"};
const std::vector<std::string> kMakers = {"Stahlwerk Ammerland",
                                          "Br\xfc"
                                          "ckner Fahrgesch\xe4"
                                          "fte",
                                          "Vogt & S\xf6hne", "Rheinische Anlagenbau"};

// ---- the simulated world ----

constexpr int kPlanWidth = 950;
constexpr int kPlanHeight = 1400;
constexpr int kCell = 50;
constexpr int kCellsX = kPlanWidth / kCell;
constexpr int kCellsY = kPlanHeight / kCell;

struct Attraction {
  int32_t id;
  int32_t category;
  std::string name;
  std::string variant;
  std::string description;
  int64_t cost;
  int32_t staff;
  int32_t capacity;
  int32_t width;
  int32_t depth;
  int32_t build_weeks;
  std::array<int32_t, 3> target;
  int32_t atmosphere;
  int32_t lifetime;
  std::array<int32_t, 3> bonus;
  int32_t launch;
  std::string maker;
  std::string picture;  // path on the game server
};

struct Placed {
  size_t attraction;
  int32_t x;
  int32_t y;
  int32_t built;
  int32_t condition;
};

struct Park {
  int32_t id;
  std::string name;
  int32_t country;
  size_t owner;
  int32_t founded;
  bool open = true;
  int64_t visitors;
  int32_t entry_cents;
  int32_t rating;  // tenths of a percent
  int32_t satisfaction;
  int32_t kind;
  std::vector<Placed> placed;
  std::array<std::array<bool, kCellsX>, kCellsY> used{};
  bool Used(int x, int y) const { return used[static_cast<size_t>(y)][static_cast<size_t>(x)]; }
  void Use(int x, int y) { used[static_cast<size_t>(y)][static_cast<size_t>(x)] = true; }
};

struct Company {
  int32_t id;
  std::string name;
  std::string owner;
  int32_t founded;
  int64_t capital;
};

int64_t Staff(const Park& park) {
  return 12 + static_cast<int64_t>(park.placed.size()) * 4 + park.visitors / 40000;
}

class World {
 public:
  explicit World(const DemoSeasonOptions& options)
      : options_(options), rng_(options.seed * 0x2545F4914F6CDD1Dull + 17) {}

  void Create() {
    country_count_ = 8 + static_cast<int32_t>(rng_.Uniform(0, 4));
    CreateAttractions();
    CreateCompanies();
    for (int32_t i = 0; i < options_.parks; ++i) OpenPark(first_year() - rng_.Uniform(0, 20));
  }

  int32_t first_year() const { return options_.first_year; }
  int32_t last_year() const { return options_.first_year + options_.years - 1; }
  int32_t country_count() const { return country_count_; }
  const std::vector<Attraction>& attractions() const { return attractions_; }

  // Moves the world to `year`: closures, openings, owner changes, growth.
  void Advance(int32_t year) {
    if (year > first_year()) {
      int32_t closed = 0;
      for (Park& park : parks_) {
        if (!park.open || year - park.founded < 3) continue;
        const double risk = park.satisfaction < 55 ? 0.08 : 0.02;
        if (rng_.Chance(risk)) park.open = false, ++closed;
      }
      const int32_t openings = closed + static_cast<int32_t>(rng_.Uniform(0, 2));
      for (int32_t i = 0; i < openings; ++i) OpenPark(year);
    }
    for (Park& park : parks_) {
      if (!park.open) continue;
      if (year > first_year() && rng_.Chance(0.03)) park.owner = OwnerFor(year);
      Grow(park, year);
    }
  }

  std::string ParkFile() const {
    IniText ini;
    for (const Park& park : parks_) {
      if (!park.open) continue;
      const std::string id = std::to_string(park.id);
      const int64_t revenue = park.visitors * park.entry_cents / 100 + park.visitors * 7;
      const int64_t staff = Staff(park);
      int64_t maintenance = 0;
      for (const Placed& p : park.placed) maintenance += attractions_[p.attraction].cost / 12;
      const int64_t area = 20000 + static_cast<int64_t>(park.placed.size()) * 6500;
      const int64_t costs = staff * 28000 + maintenance + area * 3;
      ini.Group(id);
      ini.Key("0", id);
      ini.Key("1", park.name);
      ini.Key("2", park.country);
      ini.Key("3", Grouped(park.visitors));
      ini.Key("4", Grouped(revenue));
      ini.Key("5", Grouped(costs));
      ini.Key("6", staff);
      ini.Key("7", Grouped(area));
      ini.Key("8", Tenths(park.rating));
      ini.Key("9", park.entry_cents);
      ini.Key("10", 5 + park.visitors % 50);
      ini.Key("11", static_cast<int64_t>(park.placed.size()));
      ini.Key("12", companies_[park.owner].name);
      ini.Key("13", park.kind);
      ini.Key("14", park.founded);
      ini.Key("15", park.satisfaction);
      if (park.placed.empty()) continue;
      ini.Group(id + "_Attractionlist");
      for (size_t i = 0; i < park.placed.size(); ++i) {
        const Placed& p = park.placed[i];
        const std::string n = std::to_string(i + 1) + "_";
        ini.Key(n + "Nr", static_cast<int64_t>(i + 1));
        ini.Key(n + "Typ", attractions_[p.attraction].id);
        ini.Key(n + "Baujahr", p.built);
        ini.Key(n + "Zustand", p.condition);
        ini.Key(n + "X", p.x);
        ini.Key(n + "Y", p.y);
        ini.Key(n + "Bild", attractions_[p.attraction].picture);
      }
    }
    return ini.text();
  }

  std::string CompanyFile(int32_t year) const {
    std::vector<std::vector<int32_t>> owned(companies_.size());
    std::vector<int64_t> staff(companies_.size(), 0);
    for (const Park& park : parks_) {
      if (!park.open) continue;
      owned[park.owner].push_back(park.id);
      staff[park.owner] += Staff(park);
    }
    IniText ini;
    for (size_t c = 0; c < companies_.size(); ++c) {
      const Company& company = companies_[c];
      if (company.founded > year) continue;
      const std::string id = std::to_string(company.id);
      ini.Group(id);
      ini.Key("0", id);
      ini.Key("1", company.name);
      ini.Key("2", company.owner);
      ini.Key("3", static_cast<int64_t>(owned[c].size()));
      ini.Key("4", Grouped(company.capital + (year - company.founded) * 150000LL));
      ini.Key("5", company.founded);
      ini.Key("6", staff[c]);
      // A company without parks has no list at all, as the game writes it.
      if (owned[c].empty()) continue;
      ini.Group(id + "_Parks");
      for (size_t i = 0; i < owned[c].size(); ++i) ini.Key(std::to_string(i + 1), owned[c][i]);
    }
    return ini.text();
  }

  std::string AttractionFile(int32_t year) const {
    IniText ini;
    for (const Attraction& a : attractions_) {
      if (a.launch > year) continue;
      ini.Group(std::to_string(a.id));
      ini.Key("0", a.id);
      ini.Key("1", a.category);
      ini.Key("2", a.name);
      ini.Key("3", a.variant);
      ini.Key("4", a.description);
      ini.Key("5", Grouped(a.cost));
      ini.Key("6", Grouped(a.cost / 12));
      ini.Key("7", a.staff);
      ini.Key("8", a.capacity);
      ini.Key("9", std::to_string(a.width) + "x" + std::to_string(a.depth));
      ini.Key("10", a.build_weeks);
      for (size_t g = 0; g < 3; ++g) ini.Key(std::to_string(11 + g), a.target[g]);
      ini.Key("14", a.atmosphere);
      ini.Key("15", a.lifetime);
      for (size_t g = 0; g < 3; ++g) ini.Key(std::to_string(16 + g), a.bonus[g]);
      ini.Key("19", a.launch);
      ini.Key("20", a.maker);
      ini.Key("21", a.picture);
    }
    return ini.text();
  }

  int64_t open_parks() const {
    return std::count_if(parks_.begin(), parks_.end(), [](const Park& p) { return p.open; });
  }
  int64_t companies_in(int32_t year) const {
    return std::count_if(companies_.begin(), companies_.end(),
                         [&](const Company& c) { return c.founded <= year; });
  }

 private:
  void CreateAttractions() {
    const int32_t count = std::clamp(options_.attractions, 40, 60);
    for (int32_t i = 0; i < count; ++i) {
      const AttractionKind& kind = kAttractionKinds[static_cast<size_t>(i) % 7];
      const size_t round = static_cast<size_t>(i) / 7;
      Attraction a;
      a.id = 301 + i;
      a.category = kind.category;
      a.name = kind.names[round % kind.names.size()];
      a.variant =
          kVariants[(round / kind.names.size() + static_cast<size_t>(i)) % kVariants.size()];
      a.description = a.name + ": " + kind.phrase;
      const int64_t scale = a.category == 1 ? 6 : (a.category == 6 ? 1 : 3);
      a.cost = rng_.Uniform(2, 12) * 50000 * scale;
      a.staff = static_cast<int32_t>(rng_.Uniform(2, 6) + scale);
      a.capacity = static_cast<int32_t>(rng_.Uniform(4, 40) * 50);
      a.width = static_cast<int32_t>(rng_.Uniform(1, a.category == 6 ? 2 : 5) * kCell);
      a.depth = static_cast<int32_t>(rng_.Uniform(1, a.category == 6 ? 2 : 6) * kCell);
      a.build_weeks = static_cast<int32_t>(rng_.Uniform(2, 20));
      for (size_t g = 0; g < 3; ++g) a.target[g] = static_cast<int32_t>(rng_.Uniform(0, 100));
      a.atmosphere = static_cast<int32_t>(rng_.Uniform(0, 100));
      a.lifetime = static_cast<int32_t>(rng_.Uniform(10, 30));
      for (size_t g = 0; g < 3; ++g) a.bonus[g] = static_cast<int32_t>(rng_.Uniform(0, 20));
      // Most rides are on the market from the start; the rest come out
      // during the season, so later years list more attractions.
      a.launch = rng_.Chance(0.65) || options_.years < 3
                     ? first_year() - static_cast<int32_t>(rng_.Uniform(1, 15))
                     : first_year() + static_cast<int32_t>(rng_.Uniform(1, options_.years - 1));
      a.maker = rng_.Pick(kMakers);
      a.picture =
          "attraktionen/" + std::to_string(a.id) + (a.width >= a.depth ? "q" : "h") + ".jpg";
      attractions_.push_back(std::move(a));
    }
    // Paths and flower beds are in the file too, but never in the catalogue.
    const char* extras[] = {"Weg", "Blumenbeet"};
    for (const char* extra : extras) {
      Attraction a = attractions_[attractions_.size() % 7];
      a.id = 301 + static_cast<int32_t>(attractions_.size());
      a.category = 9;
      a.name = extra;
      a.variant = "Standard";
      a.description = std::string(extra) + ": Gestaltung der Wege und Beete.";
      a.cost = 500;
      a.width = a.depth = kCell;
      a.launch = first_year() - 20;
      a.picture = "attraktionen/" + std::to_string(a.id) + "q.jpg";
      attractions_.push_back(std::move(a));
    }
  }

  void CreateCompanies() {
    for (int32_t i = 0; i < std::max(options_.companies, 1); ++i) {
      Company c;
      c.id = 5001 + i;
      const size_t families = kFamilies.size();
      const std::string& family = kFamilies[static_cast<size_t>(i) % families];
      c.name = family + " " + rng_.Pick(kCompanyForms);
      if (static_cast<size_t>(i) >= families) {
        c.name += " " + std::to_string(static_cast<size_t>(i) / families + 1);
      }
      c.owner = rng_.Pick(kFirstNames) + " " + family;
      c.founded = i == 0 || rng_.Chance(0.7)
                      ? first_year() - static_cast<int32_t>(rng_.Uniform(0, 25))
                      : first_year() + static_cast<int32_t>(rng_.Uniform(1, options_.years));
      c.capital = rng_.Uniform(5, 200) * 100000;
      companies_.push_back(std::move(c));
    }
  }

  size_t OwnerFor(int32_t year) {
    for (int attempt = 0; attempt < 32; ++attempt) {
      const size_t c = static_cast<size_t>(rng_.Next() % companies_.size());
      if (companies_[c].founded <= year) return c;
    }
    return 0;  // founded before the first year
  }

  void OpenPark(int32_t founded) {
    Park park;
    park.id = 10001 + static_cast<int32_t>(parks_.size());
    park.name = rng_.Pick(kParkKinds) + " " + rng_.Pick(kPlaces);
    const size_t uses = ++name_uses_[park.name];
    if (uses > 1) park.name += " " + std::to_string(uses);
    // Most parks are in the first countries of the list.
    park.country = 1 + static_cast<int32_t>(std::min<int64_t>(rng_.Uniform(0, country_count_ - 1),
                                                              rng_.Uniform(0, country_count_ - 1)));
    park.founded = founded;
    park.owner = OwnerFor(std::max(founded, first_year()));
    park.visitors = rng_.Uniform(20, 200) * 1000;
    park.entry_cents = static_cast<int32_t>(rng_.Uniform(12, 40) * 100 + 50 * rng_.Uniform(0, 1));
    park.rating = static_cast<int32_t>(rng_.Uniform(300, 800));
    park.satisfaction = static_cast<int32_t>(rng_.Uniform(45, 90));
    park.kind = static_cast<int32_t>(rng_.Uniform(1, 5));
    const int32_t start = static_cast<int32_t>(rng_.Uniform(2, 6));
    for (int32_t i = 0; i < start; ++i) Place(park, std::max(founded, first_year() - 1));
    parks_.push_back(std::move(park));
  }

  void Grow(Park& park, int32_t year) {
    const int32_t additions =
        static_cast<int32_t>(rng_.Uniform(0, park.placed.size() < 10 ? 3 : 1));
    for (int32_t i = 0; i < additions; ++i) Place(park, year);
    for (Placed& p : park.placed) p.condition = std::max(20, p.condition - 3);
    const double appeal = 0.88 + park.rating / 4000.0 + park.placed.size() * 0.003;
    park.visitors =
        static_cast<int64_t>(park.visitors * appeal * (0.95 + rng_.Real() * 0.12)) + 500;
    park.entry_cents += static_cast<int32_t>(rng_.Uniform(0, 2) * 50);
    park.rating = std::clamp(park.rating + static_cast<int32_t>(rng_.Uniform(-30, 35)), 100, 1000);
    park.satisfaction =
        std::clamp(park.satisfaction + static_cast<int32_t>(rng_.Uniform(-6, 6)), 20, 99);
  }

  // Puts a launched attraction on a free spot of the 50-pixel grid, if one
  // is found within a few tries.
  void Place(Park& park, int32_t year) {
    if (static_cast<int32_t>(park.placed.size()) >= options_.max_placed) return;
    const size_t a = static_cast<size_t>(rng_.Next() % attractions_.size());
    const Attraction& attraction = attractions_[a];
    if (attraction.launch > year) return;
    const int cw = attraction.width / kCell;
    const int ch = attraction.depth / kCell;
    for (int attempt = 0; attempt < 12; ++attempt) {
      const int cx = static_cast<int>(rng_.Uniform(0, kCellsX - cw));
      const int cy = static_cast<int>(rng_.Uniform(0, kCellsY - ch));
      bool free = true;
      for (int y = cy; y < cy + ch && free; ++y)
        for (int x = cx; x < cx + cw && free; ++x) free = !park.Used(x, y);
      if (!free) continue;
      for (int y = cy; y < cy + ch; ++y)
        for (int x = cx; x < cx + cw; ++x) park.Use(x, y);
      park.placed.push_back({a, cx * kCell, cy * kCell, year, 100});
      return;
    }
  }

  const DemoSeasonOptions& options_;
  Rng rng_;
  int32_t country_count_ = 10;
  std::vector<Attraction> attractions_;
  std::vector<Company> companies_;
  std::vector<Park> parks_;
  std::map<std::string, size_t> name_uses_;
};

// ---- season files ----

RasterImage BannerPicture() {
  RasterImage image(960, 90);
  for (int y = 0; y < image.height(); ++y) {
    const double t = y / 89.0;
    const Rgb c{static_cast<uint8_t>(80 - 70 * t), static_cast<uint8_t>(170 - 100 * t),
                static_cast<uint8_t>(220 - 80 * t)};
    image.FillRect(0, y, image.width(), 1, c);
  }
  for (int x = 0; x < image.width(); x += 120) image.FillRect(x, 70, 60, 20, {250, 130, 160});
  return image;
}

// A picture of the attraction's footprint: a category colour, a frame and a
// pattern, so that plans show which ride stands where.
RasterImage AttractionPicture(const Attraction& a) {
  static const Rgb kColours[] = {{200, 60, 40},   {120, 60, 160}, {40, 120, 200}, {230, 140, 20},
                                 {60, 160, 80},   {240, 200, 60}, {200, 80, 150}, {150, 150, 150},
                                 {150, 150, 150}, {120, 110, 90}};
  const Rgb base = kColours[std::clamp(a.category, 0, 9)];
  const Rgb dark{static_cast<uint8_t>(base.r / 2), static_cast<uint8_t>(base.g / 2),
                 static_cast<uint8_t>(base.b / 2)};
  RasterImage image(a.width, a.depth, base);
  const int border = 3;
  image.FillRect(0, 0, a.width, border, dark);
  image.FillRect(0, a.depth - border, a.width, border, dark);
  image.FillRect(0, 0, border, a.depth, dark);
  image.FillRect(a.width - border, 0, border, a.depth, dark);
  for (int i = 10 + a.id % 7; i < a.width + a.depth; i += 18) {
    for (int y = border; y < a.depth - border; ++y) {
      const int x = i - y;
      if (x >= border && x < a.width - border) image.SetPixel(x, y, dark);
    }
  }
  return image;
}

bool Write(const fs::path& path, std::string_view bytes, std::string* error) {
  if (WriteFileAtomically(path, bytes)) return true;
  if (error) *error = "cannot write " + path.string();
  return false;
}

// The picture store's naming: CRC-32 of the bytes as a signed number, with
// random digits in front while the name is taken.
std::string PictureName(const std::string& bytes, const std::string& extension,
                        std::set<std::string>& taken, Rng& rng) {
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
  std::string name = std::to_string(static_cast<int32_t>(crc)) + "." + extension;
  while (taken.count(name)) name = std::to_string(rng.Uniform(0, 9)) + name;
  taken.insert(name);
  return name;
}

}  // namespace

bool WriteDemoSeason(const fs::path& data_dir, const DemoSeasonOptions& options,
                     DemoSeasonSummary* summary, std::string* error) {
  DemoSeasonOptions opts = options;
  opts.years = std::max(opts.years, 1);
  opts.parks = std::max(opts.parks, 1);
  opts.max_placed = std::max(opts.max_placed, 0);
  const fs::path season = SeasonFolder(data_dir, opts.season);
  std::error_code ec;
  fs::create_directories(season, ec);
  if (ec) {
    if (error) *error = "cannot create " + season.string();
    return false;
  }
  World world(opts);
  world.Create();
  DemoSeasonSummary sum;
  sum.years = opts.years;
  sum.countries = world.country_count();
  sum.attractions = static_cast<int32_t>(world.attractions().size());

  for (const SeasonSupportFile& file : SeasonSupportFiles(world.country_count())) {
    if (!Write(season / file.name, file.bytes, error)) return false;
  }
  if (!Write(season / "Banner.jpg", EncodeJpeg(BannerPicture(), 85), error)) return false;

  Rng picture_rng(opts.seed ^ 0x5DEECE66Dull);
  std::set<std::string> taken;
  std::vector<bool> stored(world.attractions().size(), false);
  IniText image_store;
  for (int32_t year = world.first_year(); year <= world.last_year(); ++year) {
    world.Advance(year);
    const fs::path folder = YearFolder(season, year);
    const fs::path images = folder / kImagesFolderName;
    fs::create_directories(images, ec);
    if (ec) {
      if (error) *error = "cannot create " + images.string();
      return false;
    }
    // Each picture is stored once, in the first year whose catalogue lists it.
    for (size_t i = 0; opts.pictures && i < world.attractions().size(); ++i) {
      const Attraction& a = world.attractions()[i];
      if (stored[i] || a.launch > year) continue;
      const std::string bytes = EncodeJpeg(AttractionPicture(a), 80);
      const std::string name = PictureName(bytes, "jpg", taken, picture_rng);
      if (!Write(images / name, bytes, error)) return false;
      image_store.Key(a.picture, StoredPictureValue(std::to_string(year), name));
      stored[i] = true;
      ++sum.pictures;
    }
    const std::string attractions = world.AttractionFile(year);
    const std::string companies = world.CompanyFile(year);
    const std::string parks = world.ParkFile();
    // Park.ini last: its presence marks the year as complete.
    if (!Write(folder / kAttractionFile, attractions, error) ||
        !Write(folder / kCompanyFile, companies, error) ||
        !Write(folder / kParkFile, parks, error)) {
      return false;
    }
    sum.data_file_bytes +=
        static_cast<int64_t>(attractions.size() + companies.size() + parks.size());
    sum.park_records += world.open_parks();
    sum.company_records += world.companies_in(year);
    if (opts.control.progress) opts.control.progress(year - world.first_year() + 1, opts.years);
    if (opts.control.Cancelled()) {
      if (error) *error = "cancelled";
      return false;
    }
  }
  if (!Write(season / kImageStoreFile, image_store.text(), error)) return false;
  if (summary) *summary = sum;
  return true;
}

int32_t FreeSeasonNumber(const fs::path& data_dir, int32_t wanted) {
  std::set<int64_t> taken;
  for (const std::string& folder : ListSeasonFolders(data_dir)) taken.insert(LeadingNumber(folder));
  int32_t number = std::max(wanted, 1);
  std::error_code ec;
  while (taken.count(number) != 0 ||
         fs::symlink_status(SeasonFolder(data_dir, number), ec).type() !=
             fs::file_type::not_found) {
    ++number;
  }
  return number;
}

bool AddDemoSeason(const fs::path& data_dir, DemoSeasonOptions options, int32_t* season,
                   std::string* error) {
  const auto fail = [&](std::string text) {
    if (error) *error = std::move(text);
    return false;
  };
  std::error_code ec;
  fs::create_directories(data_dir, ec);
  if (ec) return fail("Der Ordner " + data_dir.string() + " konnte nicht angelegt werden.");
  // The folder's name reads as no season, so a run cut short is never
  // listed; the next run clears it (a link only as the link).
  const fs::path staging = data_dir / ".Beispielrunde";
  fs::remove_all(staging, ec);
  if (ec || !fs::create_directory(staging, ec) || ec) {
    return fail("Der Ordner " + staging.string() + " konnte nicht angelegt werden.");
  }
  options.season = FreeSeasonNumber(data_dir, options.season);
  std::string written_error;
  if (!WriteDemoSeason(staging, options, nullptr, &written_error)) {
    fs::remove_all(staging, ec);
    if (options.control.Cancelled()) return fail("Abgebrochen: keine Beispielrunde angelegt.");
    return fail("Die Beispielrunde konnte nicht geschrieben werden: " + written_error);
  }
  const fs::path target = SeasonFolder(data_dir, options.season);
  // Never over a folder that came meanwhile: the kernel refuses for us.
  const int moved = ::renameat2(AT_FDCWD, SeasonFolder(staging, options.season).c_str(), AT_FDCWD,
                                target.c_str(), RENAME_NOREPLACE);
  fs::remove_all(staging, ec);
  if (moved != 0) return fail("Der Ordner " + target.string() + " konnte nicht angelegt werden.");
  if (season) *season = options.season;
  return true;
}

}  // namespace wunt
