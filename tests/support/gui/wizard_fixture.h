#pragma once
// The fixture of the GUI tests that start from the wizard: a program folder
// of the test's own (CTest runs tests side by side), dialogs and message
// boxes scripted, and the main window once the test opens it.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/gui/gui_support.h"
#include "viewer/wizard/gui/main_window.h"

namespace wunt::test {

class WizardTest : public testing::Test {
 protected:
  // `prefix` names the program folders of one test suite.
  explicit WizardTest(std::string prefix) : prefix_(std::move(prefix)) {}

  // Makes the program folder with the demo season 7; a derived SetUp may
  // change its data before it opens the wizard.
  void SetUp() override;
  void TearDown() override;

  // Opens the wizard on the program folder as it stands now.
  MainWindow& OpenWizard();
  const MainWindow::Controls& c() const { return window_->controls(); }

  std::filesystem::path folder_;
  std::unique_ptr<ScriptedDialogs> dialogs_;
  std::unique_ptr<MainWindow> window_;

 private:
  std::string prefix_;
};

}  // namespace wunt::test
