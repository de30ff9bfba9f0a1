#pragma once
// The one rule for the windows a window opens: each is a top-level window
// parented to its opener, so that it never outlives the opener and a search
// from the opener finds it, and it deletes itself once closed. The opener
// holds it in a ChildWindow while it is open; one still open when the
// holder goes is deleted with it, before the opener's other members that
// the child may read (declare the holder after them).

#include <QPointer>
#include <QWidget>

namespace wunt {

// Makes `window` a child window of `opener` by the rule above.
void AdoptChildWindow(QWidget* window, QWidget* opener);

template <typename Window>
class ChildWindow {
 public:
  ChildWindow() = default;
  ~ChildWindow() { delete window_.data(); }
  ChildWindow(const ChildWindow&) = delete;
  ChildWindow& operator=(const ChildWindow&) = delete;

  // Takes `window` over, opened by `opener`; returns it.
  Window* Open(Window* window, QWidget* opener) {
    AdoptChildWindow(window, opener);
    window_ = window;
    return window;
  }
  // The open window, or nullptr.
  Window* get() const { return window_.data(); }
  Window* operator->() const { return window_.data(); }
  explicit operator bool() const { return !window_.isNull(); }
  // The window was closed: it deletes itself soon, and counts as gone now.
  void Closed() { window_.clear(); }

 private:
  QPointer<Window> window_;
};

}  // namespace wunt
