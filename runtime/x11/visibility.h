// Whether anyone can see a window on X11, put together from what the server says (mapped or
// not, fully covered or not) and what the window manager says (iconified: WM_STATE, or
// _NET_WM_STATE_HIDDEN). A compositing server never says a window is covered; the window
// manager's word is then all there is.
#pragma once

#include <xcb/xcb.h>

#include "runtime/x11/connection.h"

namespace rt::x11 {

class Visibility {
 public:
  // Each takes one piece of news and returns whether the window's being seen changed with it.
  bool Mapped(bool mapped) { return Set(&Visibility::mapped_, mapped); }
  bool FullyObscured(bool obscured) { return Set(&Visibility::obscured_, obscured); }
  // A property of the window changed: reads it again when it is one of the window manager's.
  bool PropertyChanged(const Connection& connection, xcb_window_t window, xcb_atom_t property);

  bool Seen() const { return mapped_ && !obscured_ && !iconic_ && !hidden_; }

 private:
  bool Set(bool Visibility::*piece, bool value);

  // Until the server says otherwise, the window is taken to be seen: it is mapped with its
  // first frame.
  bool mapped_ = true;
  bool obscured_ = false;
  bool iconic_ = false;
  bool hidden_ = false;
};

}  // namespace rt::x11
