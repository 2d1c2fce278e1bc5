// Ending cleanly when the X server goes away.
//
// When the X server goes away, Xlib calls its I/O error handlers and then exits the process,
// by default with its own message and status 1. The program must end with one clear line of
// its own and the platform-failure status instead.
#pragma once

#include <string>

struct SDL_Window;

namespace rt {

class DisplayLoss {
 public:
  // Watches `window`'s X connection. `program` opens the line printed if it is lost and must
  // outlive this object.
  DisplayLoss(SDL_Window* window, const std::string& program);
};

}  // namespace rt
