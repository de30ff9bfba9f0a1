#pragma once
// The report of an unexpected fault (access violation, division by zero,
// illegal instruction, bus error, abort) on any thread: the report goes to
// standard error and into a "Fatal Error" box, then the program ends with
// exit code 0. The box is shown by a fresh copy of the program, because
// nothing of a faulted process (its heap, its Qt state) can be trusted.

#include <string>
#include <string_view>

namespace wunt {

// Module, program, line, description, then the closing line, separated by
// CR. An empty module means no source position is known: the module line
// then carries the fallback text and the line number is -1.
std::string ComposeFatalReport(std::string_view module, int line, std::string_view program,
                               std::string_view description);

// Installs the handler for the rest of the run. Without `show_box` only
// standard error gets the report.
void InstallFaultHandler(bool show_box = true);

// Call first thing in main(): when this process was started to show the
// report of a faulted run, shows the box and returns true; main() then
// returns 0.
bool ShowPendingFatalReport(int argc, char** argv);

// Test-only trigger: raises a fault that is reported at the given source
// position (or without one when `module` is null).
[[noreturn]] void RaiseTestFault(const char* module, int line);

}  // namespace wunt
