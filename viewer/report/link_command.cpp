#include "viewer/report/link_command.h"

namespace wunt {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

LinkAddress SplitLinkAddress(std::string_view address) {
  if (!address.empty() && address.front() == '"') address.remove_prefix(1);
  const size_t slash = address.find_last_of("/\\");
  if (slash != std::string_view::npos) address.remove_prefix(slash + 1);
  LinkAddress link;
  link.file_part = std::string(address);
  const size_t colon = address.find(':');
  link.scheme = std::string(address.substr(0, colon));
  if (colon != std::string_view::npos) {
    const std::string_view rest = address.substr(colon + 1);
    link.command = std::string(rest.substr(0, rest.find(':')));
  }
  return link;
}

std::optional<int32_t> NumberAfter(std::string_view command, std::string_view key) {
  const size_t at = command.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view rest = command.substr(at + key.size());
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '+')) rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && rest.front() == '-') {
    negative = true;
    rest.remove_prefix(1);
  }
  int64_t value = 0;
  size_t digits = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') break;
    // Saturate: a forged huge number must not wrap into a valid position.
    if (value < INT32_MAX) value = value * 10 + (c - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(negative ? -value : value);
}

LinkCommand ParseLinkCommand(std::string_view address) {
  const LinkAddress link = SplitLinkAddress(address);
  LinkCommand result;
  result.command = link.command;
  if (link.file_part == "Load.htm" || link.file_part == "Temp.dat") {
    result.action = LinkAction::kShow;
    return result;
  }
  const std::string_view command = link.command;
  if (link.scheme == "window") {
    if (command == "close") {
      result.action = LinkAction::kClose;
    } else if (StartsWith(command, "refresh?sort")) {
      result.action = LinkAction::kSort;
      result.number = NumberAfter(command, "sort=");
    } else if (StartsWith(command, "refresh")) {
      result.action = LinkAction::kForm;
    } else if (command == "save") {
      result.action = LinkAction::kSave;
    }
  } else if (link.scheme == "open") {
    result.number = NumberAfter(command, "id=");
    if (StartsWith(command, "park")) {
      result.action = LinkAction::kOpen;
      result.target = OpenTarget::kPark;
    } else if (StartsWith(command, "company")) {
      result.action = LinkAction::kOpen;
      result.target = OpenTarget::kCompany;
    } else if (StartsWith(command, "country")) {
      result.action = LinkAction::kOpen;
      result.target = OpenTarget::kCountry;
    }
    if (!result.number) result.action = LinkAction::kNothing;
  } else if (link.scheme == "data" && (command == "window" || command == "MainWindow")) {
    result.action = LinkAction::kRegister;
  }
  return result;
}

std::string OpenAddress(std::string_view game_address, OpenTarget target, int32_t id) {
  std::string url(game_address);
  switch (target) {
    case OpenTarget::kPark:
      url += "/parkprofil.php?parkid=";
      break;
    case OpenTarget::kCompany:
      url += "/company.php?userid=";
      break;
    case OpenTarget::kCountry:
      url += "/teilnehmerliste.php?landid=";
      break;
  }
  url += std::to_string(id);
  return url;
}

}  // namespace wunt
