#include "viewer/wizard/page_commands.h"

#include <cstdint>
#include <optional>

#include "viewer/report/link_command.h"

namespace wunt {
namespace {

bool ChangeShownEntity(SelectionModel& selection, std::string_view command) {
  const std::optional<int32_t> option = NumberAfter(command, "change=");
  // Options name the available entries as the page listed them.
  if (!option || *option < 0 || static_cast<size_t>(*option) >= selection.available().size()) {
    return false;
  }
  auto position = static_cast<size_t>(*option);
  // The option was numbered while the shown entity was still chosen.
  if (!selection.chosen().empty()) {
    const int32_t shown_id = selection.chosen().front().id;
    selection.Remove(0);
    const auto& available = selection.available();
    for (size_t p = 0; p < available.size(); ++p) {
      if (available[p].id == shown_id) {
        if (p <= position) ++position;
        break;
      }
    }
  }
  return selection.AddPosition(position);
}

}  // namespace

bool ApplyPageForm(RequestState& state, std::string_view command) {
  SelectionModel& selection = state.selection();
  bool changed = false;
  if (state.content_kind == ContentKind::kPark) {
    changed = ChangeShownEntity(selection, command);
  } else if (command.find("btn_remove") != std::string_view::npos) {
    const std::optional<int32_t> position = NumberAfter(command, "remove=");
    changed = position && *position >= 0 && selection.Remove(static_cast<size_t>(*position));
  } else {
    const std::optional<int32_t> position = NumberAfter(command, "add=");
    changed = position && *position >= 0 && selection.AddPosition(static_cast<size_t>(*position));
  }
  if (changed) RebuildRequestTable(state);
  return changed;
}

std::string ExportFileName(const RequestState& state) {
  const CalculationListEntry* entry = state.calculation_entry();
  const std::string calculation = entry != nullptr ? entry->name : std::string();
  // Appended piece by piece: GCC 12 warns falsely about chains of "+".
  std::string name = "R";
  name.append(std::to_string(state.season)).append("_");
  switch (state.content_kind) {
    case ContentKind::kPark:
      if (!state.table.rows.empty()) name.append(state.table.rows.front().name);
      name.append("_Uebersicht.htm");
      break;
    case ContentKind::kYear:
      name.append(calculation).append("_");
      name.append(std::to_string(state.settings.start_year)).append(".htm");
      break;
    case ContentKind::kValue:
      name.append(calculation).append("_Uebersicht.htm");
      break;
  }
  return name;
}

}  // namespace wunt
