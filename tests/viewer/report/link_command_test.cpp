// What a page address asks the program to do.
#include "viewer/report/link_command.h"

#include <gtest/gtest.h>

namespace wunt {
namespace {

TEST(LinkCommand, AddressesAndTheirCommands) {
  struct Case {
    const char* address;
    LinkAction action;
    std::optional<int32_t> number;
  };
  const Case cases[] = {
      {"wunt:/home/u/Data/Temp.dat", LinkAction::kShow, std::nullopt},
      {"file:///home/u/Data/7/Load.htm", LinkAction::kShow, std::nullopt},
      {"\"C:\\Viewer\\Data\\Temp.dat", LinkAction::kShow, std::nullopt},
      {"window:close", LinkAction::kClose, std::nullopt},
      {"window:refresh?sort=-2", LinkAction::kSort, -2},
      {"window:refresh?sort= 3&x=1", LinkAction::kSort, 3},
      {"window:refresh?sort=", LinkAction::kSort, std::nullopt},
      {"window:refresh?add=3&remove=0", LinkAction::kForm, std::nullopt},
      {"window:save", LinkAction::kSave, std::nullopt},
      {"window:saveas", LinkAction::kNothing, std::nullopt},
      {"window:closed", LinkAction::kNothing, std::nullopt},
      {"open:company?id=42", LinkAction::kOpen, 42},
      {"open:park?id=", LinkAction::kNothing, std::nullopt},
      {"open:shop?id=1", LinkAction::kNothing, 1},
      {"data:window", LinkAction::kRegister, std::nullopt},
      {"data:text/html,<b>x</b>", LinkAction::kNothing, std::nullopt},
      {"http://www.example.org/page.html", LinkAction::kNothing, std::nullopt},
      // Only the file part counts, as it always did.
      {"http://www.example.org/window:close", LinkAction::kClose, std::nullopt},
      {"Window:close", LinkAction::kNothing, std::nullopt},
      {"temp.dat", LinkAction::kNothing, std::nullopt},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.address);
    const LinkCommand command = ParseLinkCommand(k.address);
    EXPECT_EQ(command.action, k.action);
    if (k.action == LinkAction::kSort || k.action == LinkAction::kOpen) {
      EXPECT_EQ(command.number, k.number);
    }
  }
}

TEST(LinkCommand, NumbersAfterTheirKeys) {
  struct Case {
    const char* command;
    const char* key;
    std::optional<int32_t> number;
  };
  const Case cases[] = {
      {"refresh?add=3&remove=0", "add=", 3},
      {"refresh?add=3&remove=0&btn_remove=remove", "remove=", 0},
      {"refresh?change=12", "change=", 12},
      {"refresh?add=&remove=1", "add=", std::nullopt},
      {"refresh?remove=1", "add=", std::nullopt},
      {"refresh?sort=-1", "sort=", -1},
      {"refresh?sort=  7x", "sort=", 7},
      {"refresh?add=99999999999", "add=", INT32_MAX},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.command);
    EXPECT_EQ(NumberAfter(k.command, k.key), k.number);
  }
  EXPECT_EQ(OpenAddress("http://g.example", OpenTarget::kPark, 5),
            "http://g.example/parkprofil.php?parkid=5");
  EXPECT_EQ(OpenAddress("http://g.example", OpenTarget::kCountry, 2),
            "http://g.example/teilnehmerliste.php?landid=2");
}

}  // namespace
}  // namespace wunt
