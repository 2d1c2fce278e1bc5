#include "runtime/headless/headless_backend.h"

#include <SDL.h>

#include <algorithm>

namespace rt {

void HeadlessBackend::SurfaceFree::operator()(SDL_Surface* surface) const {
  SDL_FreeSurface(surface);
}

HeadlessBackend::HeadlessBackend(Duration frame_period, float scale)
    : frame_period_(frame_period), scale_(scale) {}

HeadlessBackend::~HeadlessBackend() = default;

void HeadlessBackend::MakeSurface(PixelSize size) {
  surface_.reset(SDL_CreateRGBSurfaceWithFormat(
      0, std::max(size.width, 1), std::max(size.height, 1), 32, SDL_PIXELFORMAT_XRGB8888));
  if (!surface_) {
    throw PlatformError(std::string("cannot create an offscreen surface: ") + SDL_GetError());
  }
}

void HeadlessBackend::OpenWindow(const WindowSpec& window) {
  window_ = window;
  MakeSurface(window.client);
}

void HeadlessBackend::Present(std::span<const PixelRect> /*damage*/) {
  ++presents_;
  if (on_present_) {
    on_present_();
  }
}

void HeadlessBackend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  auto first =
      std::min_element(script_.begin(), script_.end(),
                       [](const Scripted& a, const Scripted& b) { return a.when < b.when; });
  if (first == script_.end() || first->when > deadline) {
    now_ = std::max(now_, deadline);
    return;
  }
  now_ = std::max(now_, first->when);
  const WindowEvent event = first->event;
  script_.erase(first);
  if (event.kind == WindowEvent::Kind::kResized) {
    window_.client = event.size;
    MakeSurface(event.size);
  }
  events.push_back(event);
}

void HeadlessBackend::ShowError(const std::string& title, const std::string& message) {
  error_boxes_.push_back(title + ": " + message);
}

void HeadlessBackend::CloseAt(TimePoint when) {
  script_.push_back({when, {WindowEvent::Kind::kCloseRequested, {}}});
}

void HeadlessBackend::ResizeAt(TimePoint when, PixelSize client) {
  script_.push_back({when, {WindowEvent::Kind::kResized, client}});
}

Color HeadlessBackend::PixelAt(int x, int y) const {
  const auto* row = static_cast<const std::uint8_t*>(surface_->pixels) +
                    static_cast<std::ptrdiff_t>(y) * surface_->pitch;
  Uint32 pixel = 0;
  SDL_memcpy(&pixel, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof pixel);
  Color color;
  SDL_GetRGB(pixel, surface_->format, &color.red, &color.green, &color.blue);
  return color;
}

}  // namespace rt
