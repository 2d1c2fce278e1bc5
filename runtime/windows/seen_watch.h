// Whether anyone can see a form's window on Windows: it is not minimised, the session is not
// locked, and the console's display is not off. While it lives it asks the system for the
// session and display notifications, where this Windows offers them.
#pragma once

#include <windows.h>

namespace rt::windows {

class SeenWatch {
 public:
  explicit SeenWatch(HWND window);
  ~SeenWatch();
  SeenWatch(const SeenWatch&) = delete;
  SeenWatch& operator=(const SeenWatch&) = delete;

  // Takes one of the window's messages; true when whether it can be seen changed with it.
  bool Take(UINT message, WPARAM wparam, LPARAM lparam);
  bool Seen() const { return !minimised_ && !locked_ && !display_off_; }

 private:
  HWND window_;
  bool session_watched_ = false;
  HANDLE display_watch_ = nullptr;  // an HPOWERNOTIFY
  bool minimised_ = false;
  bool locked_ = false;
  bool display_off_ = false;
};

}  // namespace rt::windows
