// A backend with no display, for tests, benchmarks and tools.
//
// Its clock is virtual: waiting for a deadline jumps straight to it, so a program runs as fast
// as it can compute while every timer and frame keeps its exact place in time. Windows are
// painted by the same text and painting code as on a real display, into ordinary memory that
// can be inspected, also after the window is closed. Window events (a close, a resize, keys
// and clicks on a dialog) are scripted for given moments.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "runtime/backend.h"

namespace rt {

class HeadlessBackend final : public Backend {
 public:
  static constexpr Duration k60Hz = Duration(16'666'667);

  explicit HeadlessBackend(Duration frame_period = k60Hz, float scale = 1.0F);

  // Backend
  TimePoint Now() const override { return now_; }
  Duration FramePeriod() const override { return frame_period_; }
  float Scale() const override { return scale_; }
  WindowId OpenWindow(const WindowSpec& window) override;
  void CloseWindow(WindowId window) override;
  bool CanPresent(WindowId window) const override;
  PixelBuffer Buffer(WindowId window) override;
  void Present(WindowId window, std::span<const PixelRect> damage) override;
  // A dialog that nothing in the script answers is closed at once, as its user would: with
  // nobody there, waiting for it would never end.
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;
  // The display's call then comes with the end of the wait, at its deadline.
  void PaceByClock(WindowId window, bool by_clock) override { by_clock_ = by_clock && window == 0; }

  // Scripted events for the first window (the form's), delivered at `when`.
  void CloseAt(TimePoint when);
  void ResizeAt(TimePoint when, PixelSize client);
  // The first window moves to a display of another scale, keeping its size in inches.
  void RescaleAt(TimePoint when, float scale);
  // Scripted input for the topmost open window at `when` (a dialog, when one is open).
  void KeyAt(TimePoint when, Key key);
  void PressAt(TimePoint when, PixelPoint point);
  void ReleaseAt(TimePoint when, PixelPoint point);
  void ClickAt(TimePoint when, PixelPoint point);
  // The window-close command on the topmost open window.
  void CloseTopAt(TimePoint when);
  // From now on the first window is shown like a compositor would: each frame presented is on
  // screen `refresh` later, when the display calls back (kFrameReady), and until then no other
  // frame can be presented. Between HideAt and ShowAt it is hidden and nothing calls back.
  void PaceLikeADisplay(Duration refresh) { refresh_ = refresh; }
  // A compositor that repaints on a rhythm of its own, whatever the phase of our frames: its
  // repaints come every `period`, the first `phase` after the epoch. A frame committed at least
  // `latch` before a repaint is shown at it, and the call back comes `delay` after that repaint,
  // plus up to `jitter` more; the buffer comes back `release` after each commit, and the window
  // is ready for another frame once both have come.
  struct Compositor {
    Duration period = k60Hz;
    Duration phase{};
    Duration latch{};
    Duration delay{};
    Duration jitter{};
    Duration release{};
    unsigned seed = 1;
  };
  void PaceLikeACompositor(const Compositor& compositor);
  // The first window is hidden (minimised, covered) and shown again: nothing calls back in
  // between. With `told`, the platform says so (kVisibilityChanged); else only the silence does.
  void HideAt(TimePoint when, bool told = false);
  void ShowAt(TimePoint when, bool told = false);
  // Called after every frame presented in the first window, with the clock at that frame.
  void OnPresent(std::function<void()> observer) { on_present_ = std::move(observer); }

  // What a test can look at. Without a window id, the first window.
  bool WindowShown() const { return presents_ > 0; }
  const WindowSpec& Window(WindowId window = 0) const;
  int WindowCount() const { return static_cast<int>(windows_.size()); }
  bool IsOpen(WindowId window) const;
  long long Presents() const { return presents_; }
  // How many times the runtime waited: on a real display, each is a wake-up of the process.
  long long Waits() const { return waits_; }
  Color PixelAt(int x, int y) const { return PixelAt(0, x, y); }
  Color PixelAt(WindowId window, int x, int y) const;
  // Every dialog opened, as "title: text".
  const std::vector<std::string>& ErrorBoxes() const { return error_boxes_; }

  // Time since the virtual epoch, which is where the clock starts.
  Duration Elapsed() const { return now_ - TimePoint{}; }

 private:
  struct Opened {
    WindowSpec wanted;
    std::vector<std::uint32_t> pixels;
    bool open = true;
  };
  struct Scripted {
    TimePoint when;
    WindowEvent event;
    bool to_top = false;  // for the topmost window at delivery, not the first
    int visibility = 0;   // 1 shows, -1 hides the first window
    bool told = false;    // a visibility change is also delivered as an event
  };

  void Script(TimePoint when, WindowEvent event, bool to_top);
  WindowId Topmost() const;
  Opened& At(WindowId window);
  const Opened& At(WindowId window) const;

  Duration frame_period_;
  float scale_;
  TimePoint now_{};
  std::vector<Opened> windows_;
  std::vector<Scripted> script_;
  std::function<void()> on_present_;
  // When the display calls back for a frame committed at `now`.
  TimePoint CallBackFor(TimePoint now);

  Duration refresh_{0};
  std::optional<Compositor> compositor_;
  std::minstd_rand jitter_;
  bool hidden_ = false;
  bool by_clock_ = false;
  std::optional<TimePoint> call_back_at_;  // when the display calls back for the last frame
  long long presents_ = 0;
  long long waits_ = 0;
  std::vector<std::string> error_boxes_;
};

}  // namespace rt
