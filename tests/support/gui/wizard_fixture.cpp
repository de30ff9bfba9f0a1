#include "tests/support/gui/wizard_fixture.h"

namespace wunt::test {

void WizardTest::SetUp() {
  folder_ = MakeProgramFolder(prefix_ + "_" +
                              testing::UnitTest::GetInstance()->current_test_info()->name());
  dialogs_ = std::make_unique<ScriptedDialogs>();
}

void WizardTest::TearDown() {
  window_.reset();
  // Windows deleted later by the event loop go before the dialogs' script.
  Settle(std::chrono::milliseconds(50));
  dialogs_.reset();
}

MainWindow& WizardTest::OpenWizard() {
  window_ = std::make_unique<MainWindow>(folder_);
  window_->show();
  return *window_;
}

}  // namespace wunt::test
