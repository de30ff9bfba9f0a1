#pragma once
// The one rule for the windows a window opens: each is a top-level window
// parented to its opener, so that it never outlives the opener and a search
// from the opener finds it, and it deletes itself once closed. The opener
// holds it in a ChildWindow; a window still there when the holder goes, or
// opens the next one, is deleted then, before the opener's other members
// that the child may read (declare the holder after them).

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
    delete window_.data();  // closed, but not gone yet
    AdoptChildWindow(window, opener);
    window_ = window;
    open_ = true;
    return window;
  }
  // The open window, or nullptr.
  Window* get() const { return open_ ? window_.data() : nullptr; }
  Window* operator->() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }
  // The window was closed: it deletes itself soon, and counts as gone now.
  void Closed() { open_ = false; }

 private:
  QPointer<Window> window_;
  bool open_ = false;
};

}  // namespace wunt
