// The export page of the demo season as a real browser sees it: headless
// Chromium renders it to a PNG (kept under the build folder for a look) and
// dumps the DOM it parsed, which must hold the whole table.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/demo/demo_season.h"
#include "common/file_util.h"
#include "viewer/report/html_writer.h"
#include "viewer/wizard/request.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

std::string FindChromium() {
  for (const char* name : {"chromium", "chromium-browser"}) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/snap/bin/"}) {
      const fs::path path = fs::path(dir) / name;
      if (fs::exists(path)) return path.string();
    }
  }
  return {};
}

int RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ExportPageInBrowser, RendersTheWholeTable) {
  const std::string chromium = FindChromium();
  if (chromium.empty()) {
    GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
  }
  const fs::path dir = fs::path(WUNT_BINARY_DIR) / "browser-artifacts";
  fs::remove_all(dir);
  fs::create_directories(dir);
  DemoSeasonOptions options;
  options.years = 5;
  options.parks = 30;
  options.pictures = false;
  std::string error;
  ASSERT_TRUE(WriteDemoSeason(dir / "Data", options, nullptr, &error)) << error;

  RequestState state;
  state.data_dir = dir / "Data";
  SilentMessageSink sink;
  ASSERT_TRUE(LoadRequestSeason(state, options.season, ContentKind::kValue, sink));
  ASSERT_TRUE(ApplyRequestSpan(state, 0, options.first_year, options.first_year + options.years - 1,
                               false, SourceKind::kParks));
  state.selection().AddAll();
  ASSERT_TRUE(ApplyRequestSelection(state, 0));
  const size_t rows = state.table.rows.size();
  ASSERT_GT(rows, 10u);
  const fs::path page = dir / "export.htm";
  ASSERT_TRUE(
      WriteFileAtomically(page, BuildExportPage(RequestReportInput(state, "http://g.invalid"))));

  const std::string flags =
      " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
      " --disable-component-update --disable-sync --hide-scrollbars --window-size=1000,1400";
  const fs::path png = dir / "export.png";
  const fs::path dom = dir / "export.dom.html";
  const std::string url = " file://" + page.string();
  ASSERT_EQ(RunCommand("timeout 120 " + chromium + flags + " --user-data-dir=" +
                       (dir / "profile-shot").string() + " --screenshot=" + png.string() + url +
                       " >" + (dir / "shot.log").string() + " 2>&1"),
            0)
      << ReadWholeFile(dir / "shot.log").value_or("");
  ASSERT_EQ(RunCommand("timeout 120 " + chromium + flags +
                       " --user-data-dir=" + (dir / "profile-dom").string() + " --dump-dom" + url +
                       " >" + dom.string() + " 2>" + (dir / "dom.log").string()),
            0)
      << ReadWholeFile(dir / "dom.log").value_or("");

  const std::string image = ReadWholeFile(png).value_or("");
  ASSERT_GT(image.size(), 10000u) << "screenshot missing or blank";
  EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1a\n");

  const std::string parsed = ReadWholeFile(dom).value_or("");
  const size_t table = parsed.find("class=\"tabellem\"");
  ASSERT_NE(table, std::string::npos) << parsed.substr(0, 2000);
  const std::string body = parsed.substr(table, parsed.find("</table>", table) - table);
  EXPECT_EQ(Count(body, "<tr"), rows + 1);  // heading row and one per park
  EXPECT_EQ(Count(body, "parkprofil.php?parkid="), rows);
  EXPECT_NE(parsed.find("Brekks Statistiken"), std::string::npos);
  std::printf("screenshot: %s\n", png.c_str());
}

}  // namespace
}  // namespace wunt
