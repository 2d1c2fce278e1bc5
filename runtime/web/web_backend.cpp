#include "runtime/web/web_backend.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>

#include "runtime/rect.h"
#include "runtime/web/page_js.h"

namespace rt::web {

namespace {

constexpr WindowId kForm = 0;

// Pixels of a length of CSS pixels at `ratio`.
int DevicePixels(double css, float ratio) {
  return static_cast<int>(std::lround(css * ratio));
}

}  // namespace

TimePoint WebBackend::Now() const {
  last_now_ = std::max(last_now_, frame_time_ > 0 ? frame_time_ : emscripten_get_now());
  const double milliseconds = last_now_;
  return TimePoint{} + Duration(static_cast<Duration::rep>(milliseconds * 1e6));
}

float WebBackend::Scale() const {
  return static_cast<float>(tarvel_page_ratio());
}

WebBackend::Window& WebBackend::At(WindowId window) {
  return windows_.at(static_cast<std::size_t>(window));
}

const WebBackend::Window& WebBackend::At(WindowId window) const {
  return windows_.at(static_cast<std::size_t>(window));
}

WindowId WebBackend::OpenWindow(const WindowSpec& wanted) {
  Window window;
  window.dialog = wanted.role == WindowSpec::Role::kDialog;
  window.size = wanted.client;
  window.pixels.assign(static_cast<std::size_t>(wanted.client.width) *
                           static_cast<std::size_t>(wanted.client.height),
                       0);
  window.page_id =
      tarvel_page_open(window.dialog ? 1 : 0, wanted.client.width, wanted.client.height,
                       wanted.title.c_str(), wanted.text.c_str());
  if (window.page_id < 0) {
    throw PlatformError("this browser gives no 2D canvas to draw on");
  }
  window.open = true;
  if (windows_.empty()) {
    ratio_ = Scale();
    css_width_ = wanted.client.width / static_cast<double>(ratio_);
    css_height_ = wanted.client.height / static_cast<double>(ratio_);
  }
  windows_.push_back(std::move(window));
  return static_cast<WindowId>(windows_.size() - 1);
}

void WebBackend::CloseWindow(WindowId window) {
  Window& closing = At(window);
  if (closing.open) {
    tarvel_page_close(closing.page_id);
    closing.open = false;
    closing.pixels = {};
  }
}

bool WebBackend::CanPresent(WindowId window) const {
  return At(window).open && (window != kForm || presentable_);
}

PixelBuffer WebBackend::Buffer(WindowId window) {
  Window& drawn = At(window);
  return {drawn.pixels.data(), drawn.size.width, drawn.size.height, drawn.size.width * 4};
}

void WebBackend::Present(WindowId window, std::span<const PixelRect> damage) {
  Window& shown = At(window);
  for (const PixelRect& rect : damage) {
    const PixelRect area = Intersect(rect, {0, 0, shown.size.width, shown.size.height});
    tarvel_page_put(shown.page_id, shown.pixels.data(), shown.size.width * 4, area.x, area.y,
                    area.width, area.height);
  }
  tarvel_page_presented(shown.page_id);
  if (window == kForm) {
    presentable_ = false;
  }
}

void WebBackend::WaitUntil(TimePoint /*deadline*/, std::vector<WindowEvent>& events) {
  events.insert(events.end(), arrived_.begin(), arrived_.end());
  arrived_.clear();
  std::int32_t input[5] = {};
  while (tarvel_page_take_input(input) != 0) {
    WindowId window = kNoWindow;
    for (std::size_t id = 0; id < windows_.size(); ++id) {
      if (windows_[id].open && windows_[id].page_id == input[1]) {
        window = static_cast<WindowId>(id);
      }
    }
    WindowEvent event{.window = window, .point = {input[2], input[3]}};
    switch (input[0]) {
      case 1:
        event.kind = WindowEvent::Kind::kKeyPressed;
        event.key = input[4] == 1   ? Key::kEnter
                    : input[4] == 2 ? Key::kEscape
                    : input[4] == 3 ? Key::kSpace
                                    : Key::kOther;
        break;
      case 2:
        event.kind = WindowEvent::Kind::kButtonPressed;
        break;
      default:
        event.kind = WindowEvent::Kind::kButtonReleased;
        break;
    }
    if (window != kNoWindow) {
      events.push_back(event);
    }
  }
}

void WebBackend::FrameArrived(double time) {
  if (windows_.empty() || !At(kForm).open) {
    return;
  }
  frame_time_ = time;
  if (hidden_) {
    return;  // a frame asked for before the page was hidden: nobody sees what it would show
  }
  presentable_ = true;
  const float ratio = Scale();
  if (ratio != ratio_ && ratio > 0) {
    Follow(ratio);
  }
  arrived_.push_back({.kind = WindowEvent::Kind::kFrameReady, .window = kForm});
}

void WebBackend::Follow(float ratio) {
  ratio_ = ratio;
  Window& form = At(kForm);
  form.size = {DevicePixels(css_width_, ratio), DevicePixels(css_height_, ratio)};
  form.pixels.assign(
      static_cast<std::size_t>(form.size.width) * static_cast<std::size_t>(form.size.height), 0);
  tarvel_page_resize(form.page_id, form.size.width, form.size.height);
  arrived_.push_back({.kind = WindowEvent::Kind::kScaleChanged,
                      .window = kForm,
                      .size = form.size,
                      .scale = ratio});
}

void WebBackend::VisibilityChanged(bool visible) {
  // Nothing is drawn for a hidden page; once shown, the next animation frame draws.
  hidden_ = !visible;
  presentable_ = presentable_ && visible;
  arrived_.push_back(
      {.kind = WindowEvent::Kind::kVisibilityChanged, .window = kForm, .visible = visible});
}

}  // namespace rt::web
