#include "runtime/headless/headless_backend.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace rt {

HeadlessBackend::HeadlessBackend(Duration frame_period, float scale)
    : frame_period_(frame_period), scale_(scale) {}

HeadlessBackend::Opened& HeadlessBackend::At(WindowId window) {
  return windows_.at(static_cast<std::size_t>(window));
}

const HeadlessBackend::Opened& HeadlessBackend::At(WindowId window) const {
  return windows_.at(static_cast<std::size_t>(window));
}

WindowId HeadlessBackend::OpenWindow(const WindowSpec& window) {
  Opened made{window, {}, true};
  made.wanted.client = {std::max(window.client.width, 1), std::max(window.client.height, 1)};
  made.pixels.assign(static_cast<std::size_t>(made.wanted.client.width) *
                         static_cast<std::size_t>(made.wanted.client.height),
                     0);
  if (window.role == WindowSpec::Role::kDialog) {
    error_boxes_.push_back(window.title + ": " + window.text);
  }
  windows_.push_back(std::move(made));
  return static_cast<WindowId>(windows_.size() - 1);
}

void HeadlessBackend::CloseWindow(WindowId window) {
  At(window).open = false;  // its pixels stay, for a test to look at
}

bool HeadlessBackend::IsOpen(WindowId window) const {
  return At(window).open;
}

const WindowSpec& HeadlessBackend::Window(WindowId window) const {
  return At(window).wanted;
}

bool HeadlessBackend::CanPresent(WindowId window) const {
  return At(window).open && (window != 0 || !call_back_at_);
}

PixelBuffer HeadlessBackend::Buffer(WindowId window) {
  Opened& w = At(window);
  return {w.pixels.data(), w.wanted.client.width, w.wanted.client.height,
          w.wanted.client.width * 4};
}

void HeadlessBackend::Present(WindowId window, std::span<const PixelRect> /*damage*/) {
  if (window != 0) {
    return;
  }
  ++presents_;
  if (refresh_ > Duration::zero() || compositor_) {
    call_back_at_ = CallBackFor(now_);
  }
  if (on_present_) {
    on_present_();
  }
}

WindowId HeadlessBackend::Topmost() const {
  for (auto i = static_cast<WindowId>(windows_.size()) - 1; i >= 0; --i) {
    if (At(i).open) {
      return i;
    }
  }
  return kNoWindow;
}

void HeadlessBackend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  ++waits_;
  const WindowId top = Topmost();
  if (top != kNoWindow && At(top).wanted.role == WindowSpec::Role::kDialog &&
      std::none_of(script_.begin(), script_.end(), [](const Scripted& s) { return s.to_top; })) {
    events.push_back({.kind = WindowEvent::Kind::kCloseRequested, .window = top});
    return;
  }
  auto first =
      std::min_element(script_.begin(), script_.end(),
                       [](const Scripted& a, const Scripted& b) { return a.when < b.when; });
  // The display's call back comes like any other event, in time order.
  const bool calls_back = call_back_at_ && !hidden_ && *call_back_at_ <= deadline &&
                          (first == script_.end() || *call_back_at_ <= first->when);
  if (calls_back) {
    // Paced by the clock, the call is read when the wait ends: at its deadline, or at the
    // next scripted event.
    const TimePoint read = first == script_.end() ? deadline : std::min(deadline, first->when);
    now_ = std::max(now_, by_clock_ ? read : *call_back_at_);
    call_back_at_.reset();
    events.push_back({.kind = WindowEvent::Kind::kFrameReady, .window = 0});
    return;
  }
  if (first == script_.end() || first->when > deadline) {
    if (deadline == kNoDeadline) {
      throw std::logic_error("headless: waiting for an event that nothing will send");
    }
    now_ = std::max(now_, deadline);
    return;
  }
  if (first->visibility != 0) {
    now_ = std::max(now_, first->when);
    hidden_ = first->visibility < 0;
    if (!hidden_ && call_back_at_) {
      call_back_at_ = std::max(*call_back_at_, CallBackFor(now_));
    }
    if (first->told) {
      events.push_back(
          {.kind = WindowEvent::Kind::kVisibilityChanged, .window = 0, .visible = !hidden_});
    }
    script_.erase(first);
    return;
  }
  now_ = std::max(now_, first->when);
  WindowEvent event = first->event;
  if (first->to_top) {
    event.window = top;
  }
  script_.erase(first);
  if (event.kind == WindowEvent::Kind::kScaleChanged) {
    const PixelSize old = At(event.window).wanted.client;
    const float factor = event.scale / scale_;
    event.size = {static_cast<int>(std::lround(static_cast<float>(old.width) * factor)),
                  static_cast<int>(std::lround(static_cast<float>(old.height) * factor))};
    scale_ = event.scale;
  }
  if ((event.kind == WindowEvent::Kind::kResized ||
       event.kind == WindowEvent::Kind::kScaleChanged) &&
      event.window != kNoWindow) {
    Opened& w = At(event.window);
    w.wanted.client = event.size;
    w.pixels.assign(
        static_cast<std::size_t>(event.size.width) * static_cast<std::size_t>(event.size.height),
        0);
  }
  events.push_back(event);
}

void HeadlessBackend::Script(TimePoint when, WindowEvent event, bool to_top) {
  script_.push_back({when, event, to_top});
}

void HeadlessBackend::HideAt(TimePoint when, bool told) {
  script_.push_back({.when = when, .event = {}, .visibility = -1, .told = told});
}

void HeadlessBackend::ShowAt(TimePoint when, bool told) {
  script_.push_back({.when = when, .event = {}, .visibility = 1, .told = told});
}

void HeadlessBackend::PaceLikeACompositor(const Compositor& compositor) {
  compositor_ = compositor;
  jitter_.seed(compositor.seed);
}

TimePoint HeadlessBackend::CallBackFor(TimePoint now) {
  if (!compositor_) {
    return now + refresh_;
  }
  const Compositor& c = *compositor_;
  // The first repaint that still takes a frame committed now: strictly after now + latch.
  const Duration since_first = now + c.latch - (TimePoint{} + c.phase);
  const auto repaints = since_first < Duration::zero() ? 0 : since_first / c.period + 1;
  const TimePoint repaint = TimePoint{} + c.phase + c.period * repaints;
  Duration late{};
  if (c.jitter > Duration::zero()) {
    late = Duration(
        static_cast<Duration::rep>(jitter_() % static_cast<unsigned long>(c.jitter.count() + 1)));
  }
  return std::max(repaint + c.delay + late, now + c.release);
}

void HeadlessBackend::CloseAt(TimePoint when) {
  Script(when, {.kind = WindowEvent::Kind::kCloseRequested, .window = 0}, false);
}

void HeadlessBackend::ResizeAt(TimePoint when, PixelSize client) {
  Script(when, {.kind = WindowEvent::Kind::kResized, .window = 0, .size = client}, false);
}

void HeadlessBackend::RescaleAt(TimePoint when, float scale) {
  Script(when, {.kind = WindowEvent::Kind::kScaleChanged, .window = 0, .scale = scale}, false);
}

void HeadlessBackend::KeyAt(TimePoint when, Key key) {
  Script(when, {.kind = WindowEvent::Kind::kKeyPressed, .key = key}, true);
}

void HeadlessBackend::PressAt(TimePoint when, PixelPoint point) {
  Script(when, {.kind = WindowEvent::Kind::kButtonPressed, .point = point}, true);
}

void HeadlessBackend::ReleaseAt(TimePoint when, PixelPoint point) {
  Script(when, {.kind = WindowEvent::Kind::kButtonReleased, .point = point}, true);
}

void HeadlessBackend::ClickAt(TimePoint when, PixelPoint point) {
  PressAt(when, point);
  ReleaseAt(when, point);
}

void HeadlessBackend::CloseTopAt(TimePoint when) {
  Script(when, {.kind = WindowEvent::Kind::kCloseRequested}, true);
}

Color HeadlessBackend::PixelAt(WindowId window, int x, int y) const {
  const Opened& w = At(window);
  const std::uint32_t pixel =
      w.pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(w.wanted.client.width) +
                  static_cast<std::size_t>(x));
  return {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
          static_cast<std::uint8_t>(pixel)};
}

}  // namespace rt
