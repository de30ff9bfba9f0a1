#pragma once
// What the overview page's own commands do to the request: the selection
// form's add, remove and change, and the name offered when the page is
// saved. The window only forwards the page's command text here.

#include <string>
#include <string_view>

#include "viewer/wizard/request.h"

namespace wunt {

// Applies a "window:refresh?..." command of the selection form: for content
// kind "Park" the shown entity is exchanged ("change="), otherwise an entry
// is added ("add=") or, with "btn_remove", removed ("remove="). Positions
// outside the lists change nothing. True when the selection changed; the
// result table is then rebuilt.
bool ApplyPageForm(RequestState& state, std::string_view command);

// The file name the save dialog offers, in Windows-1252: "R<season>_" and the
// shown park's name, the calculation with its year, or the calculation.
std::string ExportFileName(const RequestState& state);

}  // namespace wunt
