#include "viewer/platform/child_window.h"

namespace wunt {

void AdoptChildWindow(QWidget* window, QWidget* opener) {
  if (window->parentWidget() != opener) {
    window->setParent(opener, window->windowFlags() | Qt::Window);
  }
  window->setAttribute(Qt::WA_DeleteOnClose);
  // A disabled opener would disable its children too; the child is what
  // the opener waits for, so it stays usable.
  window->setEnabled(true);
}

}  // namespace wunt
