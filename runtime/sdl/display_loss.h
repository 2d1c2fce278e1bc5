// Telling a lost display apart from a close request.
//
// When the X server goes away, Xlib calls its I/O error handlers and then exits the process,
// by default with its own message and status 1. When the Wayland compositor goes away, SDL
// sends the same quit event as for a close request. Both must end the program with one clear
// line of our own and the platform-failure status instead.
#pragma once

#include <string>

struct SDL_Window;

namespace rt {

class DisplayLoss {
 public:
  // Watches `window`'s display connection. `program` opens the line printed if it is lost and
  // must outlive this object.
  DisplayLoss(SDL_Window* window, const std::string& program);

  // The message for a lost connection, if the connection has been lost; empty otherwise.
  // (X11 never gets here: a lost X server ends the process from inside Xlib.)
  std::string Lost() const;

 private:
  void* wayland_display_ = nullptr;
};

}  // namespace rt
