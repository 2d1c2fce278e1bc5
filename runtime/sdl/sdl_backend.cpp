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

struct SurfaceFree {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

class SdlBackend final : public Backend {
 public:
  explicit SdlBackend(std::string program);
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  Duration FramePeriod() const override;
  float Scale() const override { return scale_; }
  WindowId OpenWindow(const WindowSpec& spec) override;
  void CloseWindow(WindowId window) override;
  bool CanPresent(WindowId window) const override { return Find(window) != nullptr; }
  PixelBuffer Buffer(WindowId id) override;
  void Present(WindowId id, std::span<const PixelRect> damage) override;
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;

 private:
  struct Window {
    SDL_Window* sdl = nullptr;
    bool shown = false;
    // Where SDL's surface is not 32-bit XRGB, frames are drawn here and converted.
    std::unique_ptr<SDL_Surface, SurfaceFree> shadow;
  };

  Window* Find(WindowId window) const;
  WindowId IdOf(Uint32 sdl_id) const;
  SDL_Surface* WindowSurface(const Window& window) const;
  void Translate(const SDL_Event& event, std::vector<WindowEvent>& events) const;
  static void SetIcon(SDL_Window* window, const IconImage& icon);

  std::string program_;
  float scale_ = 1.0F;
  std::vector<std::unique_ptr<Window>> windows_;
  std::unique_ptr<DisplayLoss> display_loss_;
  std::vector<SDL_Rect> rects_;
};

[[noreturn]] void CannotOpenDisplay(const std::string& why) {
  throw PlatformError("cannot open a display: " + why);
}

SdlBackend::SdlBackend(std::string program) : program_(std::move(program)) {
  // X11 alone (Wayland has a backend of its own), whatever SDL_VIDEODRIVER says: left alone,
  // SDL could fall back to its offscreen driver and run where nobody can see it.
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
  // A toy has no business keeping the screen awake.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Video alone: the timer and joystick subsystems would add threads and busy polling.
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    const std::string why = SDL_GetError();
    SDL_Quit();
    CannotOpenDisplay("no X server answered at DISPLAY=\"" +
                      std::string(SDL_getenv("DISPLAY") ? SDL_getenv("DISPLAY") : "") + "\" (" +
                      why + ")");
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  const std::string_view name = driver ? driver : "";
  if (name != "x11") {
    SDL_Quit();
    CannotOpenDisplay("the \"" + std::string(name) + "\" video driver shows nothing on screen");
  }
  // X11 can draw through shared-memory images on this thread alone; an accelerated surface
  // would load a GL driver with threads of its own.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  scale_ = X11Scale();
  // Keyboard text input is on by default and may start an input-method connection; keys are
  // read as plain key presses, on the error box alone.
  SDL_StopTextInput();
}

SdlBackend::~SdlBackend() {
  for (const auto& window : windows_) {
    if (window) {
      SDL_DestroyWindow(window->sdl);
    }
  }
  SDL_Quit();
}

SdlBackend::Window* SdlBackend::Find(WindowId window) const {
  if (window < 0 || static_cast<std::size_t>(window) >= windows_.size()) {
    return nullptr;
  }
  return windows_[static_cast<std::size_t>(window)].get();
}

WindowId SdlBackend::IdOf(Uint32 sdl_id) const {
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i] && SDL_GetWindowID(windows_[i]->sdl) == sdl_id) {
      return static_cast<WindowId>(i);
    }
  }
  return kNoWindow;
}

Duration SdlBackend::FramePeriod() const {
  int hz = 0;
  SDL_DisplayMode mode;
  const Window* main = Find(0);
  const int display = main ? SDL_GetWindowDisplayIndex(main->sdl) : 0;
  if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0) {
    hz = mode.refresh_rate;
  }
  if (hz <= 0) {
    hz = kFallbackRefreshHz;  // unknown, as on a virtual X server
  }
  return std::chrono::duration_cast<Duration>(std::chrono::seconds(1)) / hz;
}

WindowId SdlBackend::OpenWindow(const WindowSpec& spec) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (!spec.border) {
    flags |= SDL_WINDOW_BORDERLESS;
  }
  int x = SDL_WINDOWPOS_CENTERED;
  int y = SDL_WINDOWPOS_CENTERED;
  const Window* parent = Find(spec.parent);
  if (parent) {
    // Over the middle of its parent.
    int px = 0;
    int py = 0;
    int pw = 0;
    int ph = 0;
    SDL_GetWindowPosition(parent->sdl, &px, &py);
    SDL_GetWindowSize(parent->sdl, &pw, &ph);
    x = px + (pw - spec.client.width) / 2;
    y = py + (ph - spec.client.height) / 2;
  }
  auto window = std::make_unique<Window>();
  window->sdl =
      SDL_CreateWindow(spec.title.c_str(), x, y, spec.client.width, spec.client.height, flags);
  if (!window->sdl) {
    CannotOpenDisplay(std::string("cannot create the window: ") + SDL_GetError());
  }
  if (parent) {
    SDL_SetWindowModalFor(window->sdl, parent->sdl);
  }
  SetIcon(window->sdl, spec.icon);
  if (windows_.empty()) {
    display_loss_ = std::make_unique<DisplayLoss>(window->sdl, program_);
  }
  windows_.push_back(std::move(window));
  return static_cast<WindowId>(windows_.size() - 1);
}

void SdlBackend::CloseWindow(WindowId window) {
  if (Window* found = Find(window)) {
    SDL_DestroyWindow(found->sdl);
    windows_[static_cast<std::size_t>(window)].reset();
  }
}

void SdlBackend::SetIcon(SDL_Window* window, const IconImage& icon) {
  if (icon.argb.empty()) {
    return;
  }
  // SDL copies the pixels, so the surface only has to live through the call.
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(icon.argb.data()), icon.width,
                                         icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface) {
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
  }
}

SDL_Surface* SdlBackend::WindowSurface(const Window& window) const {
  // SDL keeps the surface until the window's size changes, so this is cheap per frame.
  SDL_Surface* surface = SDL_GetWindowSurface(window.sdl);
  if (!surface) {
    throw PlatformError(std::string("cannot draw into the window: ") + SDL_GetError());
  }
  return surface;
}

PixelBuffer SdlBackend::Buffer(WindowId id) {
  Window& window = *Find(id);
  SDL_Surface* surface = WindowSurface(window);
  const Uint32 format = surface->format->format;
  if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) {
    window.shadow.reset();
    return {static_cast<std::uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch};
  }
  if (!window.shadow || window.shadow->w != surface->w || window.shadow->h != surface->h) {
    window.shadow.reset(
        SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888));
    if (!window.shadow) {
      throw PlatformError(std::string("cannot draw into the window: ") + SDL_GetError());
    }
  }
  return {static_cast<std::uint32_t*>(window.shadow->pixels), window.shadow->w, window.shadow->h,
          window.shadow->pitch};
}

void SdlBackend::Present(WindowId id, std::span<const PixelRect> damage) {
  Window& window = *Find(id);
  rects_.clear();
  for (const PixelRect& rect : damage) {
    rects_.push_back({rect.x, rect.y, rect.width, rect.height});
  }
  if (window.shadow) {
    SDL_Surface* surface = WindowSurface(window);
    for (SDL_Rect& rect : rects_) {
      SDL_Rect to = rect;
      SDL_BlitSurface(window.shadow.get(), &rect, surface, &to);
    }
  }
  if (!window.shown) {
    SDL_ShowWindow(window.sdl);
    window.shown = true;
    // What was drawn before the window was mapped is not on screen yet: send all of it.
    SDL_UpdateWindowSurface(window.sdl);
    return;
  }
  if (!rects_.empty()) {
    SDL_UpdateWindowSurfaceRects(window.sdl, rects_.data(), static_cast<int>(rects_.size()));
  }
}

Key KeyOf(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return Key::kEnter;
    case SDL_SCANCODE_ESCAPE:
      return Key::kEscape;
    case SDL_SCANCODE_SPACE:
      return Key::kSpace;
    default:
      return Key::kOther;
  }
}

void SdlBackend::Translate(const SDL_Event& event, std::vector<WindowEvent>& events) const {
  switch (event.type) {
    case SDL_QUIT:
      // The last window closed, or SIGINT/SIGTERM: both end the program normally.
      events.push_back({.kind = WindowEvent::Kind::kCloseRequested, .window = kNoWindow});
      return;
    case SDL_KEYDOWN:
      events.push_back({.kind = WindowEvent::Kind::kKeyPressed,
                        .window = IdOf(event.key.windowID),
                        .key = KeyOf(event.key.keysym.scancode)});
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.button == SDL_BUTTON_LEFT) {
        events.push_back({.kind = event.type == SDL_MOUSEBUTTONDOWN
                                      ? WindowEvent::Kind::kButtonPressed
                                      : WindowEvent::Kind::kButtonReleased,
                          .window = IdOf(event.button.windowID),
                          .point = {event.button.x, event.button.y}});
      }
      return;
    case SDL_WINDOWEVENT:
      break;
    default:
      return;
  }
  const WindowId window = IdOf(event.window.windowID);
  if (window == kNoWindow) {
    return;
  }
  switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
      events.push_back({.kind = WindowEvent::Kind::kCloseRequested, .window = window});
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      events.push_back({.kind = WindowEvent::Kind::kResized,
                        .window = window,
                        .size = {event.window.data1, event.window.data2}});
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      events.push_back({.kind = WindowEvent::Kind::kExposed, .window = window});
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
      return;
    }
    if (Now() >= deadline) {
      return;
    }
  }
}

}  // namespace

std::unique_ptr<Backend> MakeSdlBackend(const std::string& program) {
  return std::make_unique<SdlBackend>(program);
}

}  // namespace rt
