#include "runtime/sdl/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/sdl/display_loss.h"
#include "runtime/sdl/x11_scale.h"

namespace rt {

namespace {

constexpr int kFallbackRefreshHz = 60;

class SdlBackend final : public Backend {
 public:
  explicit SdlBackend(std::string program);
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  Duration FramePeriod() const override;
  float Scale() const override { return scale_; }
  void OpenWindow(const WindowSpec& window) override;
  SDL_Surface* Surface() override;
  void Present(std::span<const PixelRect> damage) override;
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;
  void ShowError(const std::string& title, const std::string& message) override;

 private:
  void Translate(const SDL_Event& event, std::vector<WindowEvent>& events) const;
  void SetIcon(const IconImage& icon);

  std::string program_;
  float scale_ = 1.0F;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<DisplayLoss> display_loss_;
  bool shown_ = false;
  std::vector<SDL_Rect> rects_;
};

[[noreturn]] void CannotOpenDisplay(const std::string& why) {
  throw PlatformError("cannot open a display: " + why);
}

SdlBackend::SdlBackend(std::string program) : program_(std::move(program)) {
  // Only real displays: left alone, SDL would fall back to its offscreen driver and the program
  // would run where nobody can see it. SDL_VIDEODRIVER in the environment still takes
  // precedence, and is checked below.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
  // A toy has no business keeping the screen awake.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // A borderless window needs no decorations, so no decoration library: on Wayland SDL would
  // otherwise load libdecor, which complains on stderr when its plugin package is missing.
  SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
  // Video alone: the timer and joystick subsystems would add threads and busy polling.
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    const std::string why = SDL_GetError();
    SDL_Quit();
    CannotOpenDisplay("no X11 or Wayland display answered (" + why + ")");
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  const std::string_view name = driver ? driver : "";
  if (name != "x11" && name != "wayland") {
    SDL_Quit();
    CannotOpenDisplay("the \"" + std::string(name) + "\" video driver shows nothing on screen");
  }
  if (name == "x11") {
    // X11 can draw through shared-memory images on this thread alone; an accelerated surface
    // would load a GL driver with threads of its own. Wayland has no such path in SDL and
    // keeps the default.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    scale_ = X11Scale();
  }
  // Keyboard text input is on by default and may start an input-method connection; this
  // program reads no keys.
  SDL_StopTextInput();
}

SdlBackend::~SdlBackend() {
  if (window_) {
    SDL_DestroyWindow(window_);
  }
  SDL_Quit();
}

Duration SdlBackend::FramePeriod() const {
  int hz = 0;
  SDL_DisplayMode mode;
  const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
  if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0) {
    hz = mode.refresh_rate;
  }
  if (hz <= 0) {
    hz = kFallbackRefreshHz;  // unknown, as on a virtual X server
  }
  return std::chrono::duration_cast<Duration>(std::chrono::seconds(1)) / hz;
}

void SdlBackend::OpenWindow(const WindowSpec& window) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (!window.border) {
    flags |= SDL_WINDOW_BORDERLESS;
  }
  window_ = SDL_CreateWindow(window.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             window.client.width, window.client.height, flags);
  if (!window_) {
    CannotOpenDisplay(std::string("cannot create the window: ") + SDL_GetError());
  }
  display_loss_ = std::make_unique<DisplayLoss>(window_, program_);
  SetIcon(window.icon);
}

void SdlBackend::SetIcon(const IconImage& icon) {
  if (icon.argb.empty()) {
    return;
  }
  // SDL copies the pixels, so the surface only has to live through the call.
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(icon.argb.data()), icon.width,
                                         icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface) {
    SDL_SetWindowIcon(window_, surface);
    SDL_FreeSurface(surface);
  }
}

SDL_Surface* SdlBackend::Surface() {
  // SDL keeps the surface until the window's size changes, so this is cheap per frame.
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) {
    throw PlatformError(std::string("cannot draw into the window: ") + SDL_GetError());
  }
  return surface;
}

void SdlBackend::Present(std::span<const PixelRect> damage) {
  if (!shown_) {
    SDL_ShowWindow(window_);
    shown_ = true;
    // What was drawn before the window was mapped is not on screen yet: send all of it.
    SDL_UpdateWindowSurface(window_);
    return;
  }
  if (damage.empty()) {
    return;
  }
  rects_.clear();
  for (const PixelRect& rect : damage) {
    rects_.push_back({rect.x, rect.y, rect.width, rect.height});
  }
  SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size()));
}

void SdlBackend::Translate(const SDL_Event& event, std::vector<WindowEvent>& events) const {
  if (event.type == SDL_QUIT) {
    // The last window closed, or SIGINT/SIGTERM: both end the program normally.
    events.push_back({WindowEvent::Kind::kCloseRequested, {}});
    return;
  }
  if (event.type != SDL_WINDOWEVENT || event.window.windowID != SDL_GetWindowID(window_)) {
    return;
  }
  switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
      events.push_back({WindowEvent::Kind::kCloseRequested, {}});
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      events.push_back({WindowEvent::Kind::kResized, {event.window.data1, event.window.data2}});
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      events.push_back({WindowEvent::Kind::kExposed, {}});
      break;
    default:
      break;
  }
}

void SdlBackend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  const std::size_t before = events.size();
  for (;;) {
    SDL_Event event;
    const Duration remaining = deadline - Now();
    int got = 0;
    if (remaining <= Duration::zero()) {
      got = SDL_PollEvent(&event);
    } else {
      // SDL waits in whole milliseconds. Rounding up wakes at most a millisecond late;
      // rounding down would wake early and nearly double the wake-ups.
      const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
      got = SDL_WaitEventTimeout(&event, static_cast<int>(std::min<long long>(ms, INT_MAX)));
    }
    if (got) {
      Translate(event, events);
      while (SDL_PollEvent(&event)) {
        Translate(event, events);
      }
    }
    if (events.size() > before) {
      // A quit can also mean the display itself went away: that is a failure, not a close.
      if (const std::string lost = display_loss_ ? display_loss_->Lost() : ""; !lost.empty()) {
        throw PlatformError(lost);
      }
      return;
    }
    if (Now() >= deadline) {
      return;
    }
  }
}

void SdlBackend::ShowError(const std::string& title, const std::string& message) {
  // Blocks until dismissed. If no box can be shown, the line already on stderr has to do.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), window_);
}

}  // namespace

std::unique_ptr<Backend> MakeSdlBackend(const std::string& program) {
  return std::make_unique<SdlBackend>(program);
}

}  // namespace rt
