// Weston nested in an X server of the tests' own: a real Wayland compositor to run on, looked
// at from outside through its host's screen.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/harness.h"

namespace display_test {

// A weston compositor nested in a VirtualScreen (its x11 backend, with the pixman renderer),
// whose output shows on the host at the host's top-left.
class NestedWeston {
 public:
  // `scale` is the output's scale: 2 doubles every window's pixels. Returns once the shell has
  // drawn its desktop and its start-up fade is over (ok() says whether it got there).
  explicit NestedWeston(const VirtualScreen& host, int scale = 1);
  ~NestedWeston();
  NestedWeston(const NestedWeston&) = delete;
  NestedWeston& operator=(const NestedWeston&) = delete;

  bool ok() const { return ok_; }
  std::string Log() const { return ReadFile(log_); }
  void Kill();
  // The window-close request to the topmost window (through a test module of ours).
  void CloseTopmost() const;
  // Takes the topmost window off the output (drawn no more, no frame callbacks), or puts the
  // one taken off back (through the same module).
  void HideOrShowTopmost() const;
  // A key pressed and let go on weston's keyboard: it goes to the window with the focus.
  void PressKey(unsigned long keysym) const;
  // Environment changes that put a client on this compositor and on nothing else.
  std::vector<std::string> ClientEnv() const;

  // Where a window shows on the host: the only large black rectangle on weston's background
  // (with any red of the label inside it), found in `image`; empty when there is none.
  Box WindowBox(const Image& image) const;
  // Waits until a window shows with red text in it and stands still on the host (two
  // screenshots agree on its place); returns the last screenshot and the window's box, empty
  // if it never did.
  std::pair<Image, Box> WaitForWindow(std::chrono::milliseconds limit = kPatience) const;

 private:
  const VirtualScreen& host_;
  int scale_;
  std::string runtime_dir_;
  std::string socket_;
  std::string log_ = TempPath("weston.log");
  std::unique_ptr<Child> server_;
  bool ok_ = false;
};

// Two environments for a Wayland client: decoration plugins looked for where the system keeps
// them (whatever happens to be installed), and looked for where there are none.
std::vector<std::vector<std::string>> WithAndWithoutDecorationPlugins();

}  // namespace display_test
