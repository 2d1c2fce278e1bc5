#include "runtime/sdl/display_loss.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace rt {

namespace {

constexpr const char* kLostMessage = "lost the display: the display server closed the connection";

// Xlib's default handler prints its own message; ours is said once, by the exit handler.
int QuietIoError(Display* /*display*/) {
  return 0;
}

// Called by Xlib in place of exit() once the connection is gone. Nothing can be drawn or saved
// any more, so say what happened and leave at once.
void ExitOnLostConnection(Display* /*display*/, void* program) {
  std::fprintf(stderr, "%s: %s\n", static_cast<const std::string*>(program)->c_str(), kLostMessage);
  std::_Exit(2);
}

}  // namespace

DisplayLoss::DisplayLoss(SDL_Window* window, const std::string& program) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info)) {
    return;
  }
  if (info.subsystem == SDL_SYSWM_X11) {
    XSetIOErrorHandler(QuietIoError);
    XSetIOErrorExitHandler(info.info.x11.display, ExitOnLostConnection,
                           const_cast<std::string*>(&program));
  }
}

}  // namespace rt
