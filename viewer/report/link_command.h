#pragma once
// What an address that a page view is about to open asks the program to do.
// Only the file part counts (the text after the last "/" or "\"), read as
// scheme ":" command; numbers follow their key ("sort=", "add=", ...).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wunt {

struct LinkAddress {
  std::string file_part;
  std::string scheme;   // before the first ":"
  std::string command;  // between the first and the second ":"
};

LinkAddress SplitLinkAddress(std::string_view address);

// The number after `key` in `command`: optional blanks and sign, then
// decimal digits up to the first other character. Nothing when the key is
// missing or no digit follows it (an empty select sends "add=").
std::optional<int32_t> NumberAfter(std::string_view command, std::string_view key);

enum class LinkAction {
  kShow,      // Load.htm or Temp.dat: the view may open it
  kNothing,   // cancelled and ignored
  kClose,     // window:close
  kSort,      // window:refresh?sort=n
  kForm,      // window:refresh?... from the selection form
  kSave,      // window:save
  kOpen,      // open:park|company|country?id=n
  kRegister,  // data:window, data:MainWindow
};

enum class OpenTarget { kPark, kCompany, kCountry };

struct LinkCommand {
  LinkAction action = LinkAction::kNothing;
  std::string command;
  std::optional<int32_t> number;  // sort index, or the id of an open link
  OpenTarget target = OpenTarget::kPark;
};

LinkCommand ParseLinkCommand(std::string_view address);

// The game-server page an open link names.
std::string OpenAddress(std::string_view game_address, OpenTarget target, int32_t id);

}  // namespace wunt
