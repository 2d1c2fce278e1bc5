// A native backend's windows, numbered in the order they were opened.
#pragma once

#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "runtime/backend.h"

namespace rt {

template <class Window>
class WindowList {
 public:
  // The id the next window added gets.
  WindowId NextId() const { return static_cast<WindowId>(windows_.size()); }
  WindowId Add(std::unique_ptr<Window> window) {
    windows_.push_back(std::move(window));
    return NextId() - 1;
  }
  void Remove(WindowId id) {
    if (Find(id)) {
      windows_[static_cast<std::size_t>(id)].reset();
    }
  }
  void Clear() { windows_.clear(); }

  // The window of that id, or null when there is none (never opened, or closed).
  Window* Find(WindowId id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= windows_.size()) {
      return nullptr;
    }
    return windows_[static_cast<std::size_t>(id)].get();
  }
  // The same, for an id the runtime holds: one that is not there is a programming error.
  Window& Get(WindowId id) const {
    Window* found = Find(id);
    if (!found) {
      throw std::logic_error("no such window");
    }
    return *found;
  }
  template <class Action>
  void ForEach(Action action) const {
    for (const auto& window : windows_) {
      if (window) {
        action(*window);
      }
    }
  }
  // The first open window for which `match` holds, or null.
  template <class Match>
  Window* FindIf(Match match) const {
    for (const auto& window : windows_) {
      if (window && match(*window)) {
        return window.get();
      }
    }
    return nullptr;
  }

 private:
  std::vector<std::unique_ptr<Window>> windows_;
};

// What a native backend does by handing the call on to the window concerned. The derived
// backend clears `windows_` in its destructor, before the connection the windows live on goes.
template <class Window>
class BackendOfWindows : public Backend {
 public:
  bool CanPresent(WindowId window) const override {
    const Window* found = windows_.Find(window);
    return found && found->CanPresent();
  }
  PixelBuffer Buffer(WindowId window) override { return windows_.Get(window).Buffer(); }
  void Present(WindowId window, std::span<const PixelRect> damage) override {
    windows_.Get(window).Present(damage);
  }

 protected:
  WindowList<Window> windows_;
};

}  // namespace rt
