#include "common/season_support_files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "common/file_util.h"
#include "common/ini_text.h"
#include "common/season_layout.h"

namespace wunt {
namespace fs = std::filesystem;

namespace {

const std::array<const char*, kKnownCountries> kCountries = {"Deutschland",
                                                             "\xd6sterreich",
                                                             "Schweiz",
                                                             "D\xe4nemark",
                                                             "Frankreich",
                                                             "Niederlande",
                                                             "Belgien",
                                                             "Schweden",
                                                             "Italien",
                                                             "Gro\xdf"
                                                             "britannien",
                                                             "Spanien",
                                                             "Polen"};

// Colours with red in the low byte.
const std::array<uint32_t, 12> kPalette = {0x3C14DC, 0x8C460A, 0x2E8B57, 0x00A5FF,
                                           0x800080, 0xB48246, 0x1E69D2, 0x9AFA00,
                                           0x7A96E9, 0x808000, 0xCB00FF, 0x4F4F2F};

std::string DatafieldsFile() {
  IniText ini;
  ini.Comment("Felder der Datendateien dieser Runde");
  ini.Group("Park");
  const char* park[] = {"ID",
                        "(String)Name",
                        "Land",
                        "Besucher",
                        "Umsatz",
                        "Ausgaben",
                        "Personal",
                        "Flaeche",
                        "Bewertung",
                        "Eintritt",
                        "(Time)Wartezeit",
                        "Attraktionen",
                        "(String)Besitzer",
                        "(StringList)Parktyp",
                        "Gruendungsjahr",
                        "Zufriedenheit"};
  for (size_t i = 0; i < std::size(park); ++i) ini.Key(std::to_string(i), park[i]);
  ini.Group("Company");
  const char* company[] = {"ID",      "(String)Name",   "(String)Inhaber", "(IDList)Parks",
                           "Kapital", "Gruendungsjahr", "Mitarbeiter"};
  for (size_t i = 0; i < std::size(company); ++i) ini.Key(std::to_string(i), company[i]);
  ini.Group("Attraction");
  const char* attraction[] = {"ID",
                              "Kategorie",
                              "(String)Name",
                              "(String)Variante",
                              "(String)Beschreibung",
                              "Kosten",
                              "Unterhalt",
                              "Personal",
                              "Kapazitaet",
                              "(String)Groesse",
                              "Bauzeit",
                              "ZielgruppeA",
                              "ZielgruppeB",
                              "ZielgruppeC",
                              "Atmosphaere",
                              "Lebensdauer",
                              "BonusA",
                              "BonusB",
                              "BonusC",
                              "(String)Markteinfuehrung",
                              "(String)Hersteller",
                              "(String)Bild"};
  for (size_t i = 0; i < std::size(attraction); ++i) ini.Key(std::to_string(i), attraction[i]);
  return ini.text();
}

std::string TranslationFile(int32_t countries) {
  IniText ini;
  const char* names[][2] = {{"Besucher", "Besucher"},
                            {"Umsatz", "Umsatz"},
                            {"Ausgaben", "Ausgaben"},
                            {"Personal", "Personal"},
                            {"Flaeche",
                             "Fl\xe4"
                             "che"},
                            {"Bewertung", "Bewertung"},
                            {"Eintritt", "Eintritt"},
                            {"Wartezeit", "Wartezeit"},
                            {"Attraktionen", "Attraktionen"},
                            {"Zufriedenheit", "Zufriedenheit"},
                            {"Gruendungsjahr",
                             "Gr\xfc"
                             "ndungsjahr"}};
  for (const auto& pair : names) ini.Key(pair[0], pair[1]);
  ini.Group("Countrys");
  for (int32_t i = 0; i < countries; ++i)
    ini.Key(std::to_string(i + 1), kCountries[static_cast<size_t>(i)]);
  ini.Group("Colors");
  for (size_t i = 0; i < kPalette.size(); ++i) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "$%06X", kPalette[i]);
    ini.Key("Farbe" + std::to_string(i + 1), hex);
  }
  return ini.text();
}

struct CalculationText {
  int diagram;
  const char* name;
  const char* description;
  std::vector<std::pair<const char*, const char*>> values;
  bool no_merge;
};

std::string SaveDataFile() {
  const std::vector<CalculationText> calculations = {
      {0,
       "Besucherzahlen",
       "Die Zahl der G\xe4ste jedes Parks im Jahr.||Leere Felder: der Park war nicht ge\xf6"
       "ffnet.",
       {{"Besucher", "G\xe4ste"}},
       false},
      {0,
       "Jahresumsatz",
       "Der Umsatz in Tausend Euro.",
       {{"Umsatz [-1000] TEUR", "Jahresumsatz"}},
       false},
      {0,
       "Gewinn",
       "Umsatz abz\xfcglich aller Ausgaben.||Ohne Durchschnitt: die Jahre sind nicht "
       "vergleichbar.",
       {{"Umsatz-Ausgaben [-1000] TEUR", "Jahresergebnis"}},
       true},
      {0,
       "Erl\xf6s je Gast",
       "Was ein Gast im Schnitt ausgibt.",
       {{"Umsatz*100/Besucher [/100] EUR", "Erl\xf6s je Gast"}},
       false},
      {0,
       "Eintrittspreise",
       "Der Preis f\xfcr Erwachsene.",
       {{"Eintritt [/100] EUR", "Preis f\xfcr Erwachsene"}},
       false},
      {0,
       "Zufriedenheit",
       "Anteil der zufriedenen G\xe4ste.",
       {{"Zufriedenheit [] %", "Zufriedene G\xe4ste"}},
       false},
      {1,
       "Parkprofil",
       "Die wichtigsten Zahlen eines Parks \xfc"
       "ber alle Jahre.",
       {{"Besucher", "G\xe4ste"},
        {"Umsatz [-1000] TEUR", "Jahresumsatz"},
        {"Ausgaben [-1000] TEUR", "Jahreskosten"},
        {"Personal", "Mitarbeiter"},
        {"Flaeche [] m\xb2",
         "Parkfl\xe4"
         "che"},
        {"Bewertung [/10] %", "Gesamtnote"},
        {"Attraktionen",
         "Fahrgesch\xe4"
         "fte"}},
       false},
      {2,
       "Jahresbilanz",
       "Alle Parks eines Jahres im Vergleich.",
       {{"Besucher", "G\xe4ste"},
        {"Umsatz [-1000] TEUR", "Jahresumsatz"},
        {"Ausgaben [-1000] TEUR", "Jahreskosten"},
        {"Umsatz-Ausgaben [-1000] TEUR", "Ergebnis"}},
       true},
      {2,
       "Gr\xf6\xdf"
       "e und Personal",
       "F\xfcr Firmen und L\xe4nder: Werte je Park.",
       {{"Flaeche/Parkanzahl [] m\xb2",
         "Fl\xe4"
         "che je Park"},
        {"Personal/Parkanzahl", "Mitarbeiter je Park"},
        {"Besucher/Personal", "G\xe4ste je Mitarbeiter"}},
       false},
  };
  IniText ini;
  for (size_t i = 0; i < calculations.size(); ++i) {
    const CalculationText& c = calculations[i];
    ini.Group(std::to_string(i + 1) + "_Calculation");
    ini.Key("Diagram", c.diagram);
    ini.Key("Name", c.name);
    ini.Key("Description", c.description);
    if (c.no_merge) ini.Key("NoValueMerge", "1");
    for (const auto& [formula, label] : c.values) ini.Key(std::string(" ") + formula, label);
  }
  return ini.text();
}

// Line breaks of the template are dropped when it is read, so every line
// ends where joining is harmless.
std::string OverviewTemplate() {
  return "<html><head>\r\n"
         "<meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\">\r\n"
         "<title>\xdc"
         "bersicht</title>\r\n"
         "<style type=\"text/css\">\r\n"
         "body {margin:0px; padding:0px; background-color:#FAEB96; "
         "font-family:Verdana,Arial,sans-serif; font-size:12px; color:#222;}\r\n"
         ".banner {height:90px; background-color:#0A468C; overflow:hidden; position:relative;}\r\n"
         ".banner img {position:absolute; left:0px; top:0px; width:100%; height:90px;}\r\n"
         ".banner h1 {position:absolute; left:24px; top:22px; margin:0px; color:#FFF; "
         "font-family:Arial,Verdana; font-size:26px; text-shadow:1px 1px 2px #000;}\r\n"
         ".stripe {height:6px; background-color:#FA1E46;}\r\n"
         ".content {padding:18px 24px 24px 24px;}\r\n"
         "h1 {font-family:Arial,Verdana; color:#FA1E46; font-size:17px; margin:0px 0px 10px "
         "0px;}\r\n"
         "h2 {color:#0A468C; font-size:13px; margin:8px 0px 8px 0px;}\r\n"
         "p {font-size:12px; line-height:17px; margin:0px 0px 10px 0px;}\r\n"
         "a:link, a:visited, a:active {color:#0059B4; text-decoration:none;}\r\n"
         "a:hover {color:#FA1E46;}\r\n"
         ".tabellem {background-color:#FDF7D7;}\r\n"
         ".tabellem td {font-size:11px; padding:4px 6px 4px 6px; vertical-align:middle;}\r\n"
         "select {font-size:11px;}\r\n"
         ".button {width:26px; height:20px; margin-left:4px; border:1px solid #0A468C; "
         "border-radius:3px; background-color:#0A468C; color:#FFF; cursor:pointer;}\r\n"
         ".button:after {content:\"\\2714\"; font-size:11px;}\r\n"
         ".button:hover {background-color:#FA1E46; border-color:#FA1E46;}\r\n"
         ".footer {margin-top:20px; font-size:10px; color:#776;}\r\n"
         ".menu {float:right; font-size:12px;}\r\n"
         "</style>\r\n"
         "</head><body>\r\n"
         "<div class=\"banner\"><img src=\"[PROGRAMPATH]Banner.jpg\" alt=\"\">"
         "<h1>Orvanto Statistik</h1></div>\r\n"
         "<div class=\"stripe\"></div>\r\n"
         "<div class=\"content\">\r\n"
         "<div class=\"menu\"><a href=\"window:save\">Seite speichern</a> | "
         "<a href=\"window:close\">Schlie\xdf"
         "en</a></div>\r\n"
         "[CONTENT]\r\n"
         "<div class=\"footer\">Erstellt aus den Jahresdaten dieser Runde.</div>\r\n"
         "</div>\r\n"
         "</body></html>\r\n";
}

std::string LoadTemplate() {
  return "<html><head>\r\n"
         "<meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\">\r\n"
         "<title>Bitte warten</title>\r\n"
         "<style type=\"text/css\">\r\n"
         "body {margin:0px; background-color:#FAEB96; font-family:Verdana,Arial,sans-serif;}\r\n"
         ".banner {height:90px; background:#0A468C url(Banner.jpg) repeat-x;}\r\n"
         ".stripe {height:6px; background-color:#FA1E46;}\r\n"
         ".box {margin:120px auto 0px auto; width:320px; text-align:center; color:#0A468C;}\r\n"
         ".bar {margin-top:14px; height:8px; border:1px solid #0A468C; border-radius:4px; "
         "overflow:hidden; background-color:#FDF7D7;}\r\n"
         ".run {width:30%; height:8px; background-color:#FA1E46; "
         "animation:run 1.2s linear infinite;}\r\n"
         "@keyframes run {from {margin-left:-30%;} to {margin-left:100%;}}\r\n"
         "</style>\r\n"
         "</head><body>\r\n"
         "<div class=\"banner\"></div><div class=\"stripe\"></div>\r\n"
         "<div class=\"box\"><b>Die \xdc"
         "bersicht wird erstellt ...</b>\r\n"
         "<div class=\"bar\"><div class=\"run\"></div></div></div>\r\n"
         "</body></html>\r\n";
}

}  // namespace

std::vector<SeasonSupportFile> SeasonSupportFiles(int32_t countries) {
  std::vector<SeasonSupportFile> files;
  files.push_back({kDatafieldsFile, DatafieldsFile()});
  files.push_back({kTranslationFile, TranslationFile(std::clamp(countries, 0, kKnownCountries))});
  files.push_back({kSaveDataFile, SaveDataFile()});
  files.push_back({kOverviewTemplateFile, OverviewTemplate()});
  files.push_back({kLoadTemplateFile, LoadTemplate()});
  return files;
}

std::vector<std::string> WriteMissingSupportFiles(const fs::path& season_folder) {
  const auto taken = [](const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
  };
  std::vector<std::string> unwritten;
  for (const SeasonSupportFile& file : SeasonSupportFiles()) {
    const fs::path path = season_folder / file.name;
    // A name taken meanwhile, by the player or the Viewer, is no failure.
    if (!taken(path) && !WriteNewFileAtomically(path, file.bytes) && !taken(path)) {
      unwritten.push_back(file.name);
    }
  }
  return unwritten;
}

}  // namespace wunt
