// The browser backend: windows are canvases in the page (page.js), the clock is the page's
// performance clock, and frames are the browser's animation frames.
//
// A page must never block, so nothing here waits: WaitUntil hands over whatever has arrived
// and returns at once. The page's driver (platform/page_session.cpp) calls the loop for each
// animation frame, after telling the backend with FrameArrived, and for the timer it sets while
// the page is hidden.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/backend.h"

namespace rt::web {

class WebBackend final : public Backend {
 public:
  // Ticks run at the display's pace, which only the page's frames can tell (FramePeriodIs).
  static constexpr Duration k60Hz = Duration(16'666'667);

  TimePoint Now() const override;
  Duration FramePeriod() const override { return period_; }
  float Scale() const override;
  // Throws PlatformError when the browser gives no 2D canvas.
  WindowId OpenWindow(const WindowSpec& wanted) override;
  void CloseWindow(WindowId window) override;
  bool CanPresent(WindowId window) const override;
  PixelBuffer Buffer(WindowId window) override;
  void Present(WindowId window, std::span<const PixelRect> damage) override;
  // Never blocks: appends what has arrived (input on a box, a frame, a new pixel ratio).
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;

  // The display's frame period, as measured from the page's animation frames.
  void FramePeriodIs(Duration period) { period_ = period; }
  // An animation frame has come, for the display's frame at `time` (the page's clock, in
  // milliseconds): the form may be drawn again, and its pixels follow the device pixel ratio
  // should it have changed (browser zoom, another screen). Until FrameDone, the clock reads
  // that frame's time, so ticks keep the display's rhythm however late the call came.
  void FrameArrived(double time);
  void FrameDone() { frame_time_ = 0; }
  // The page was hidden or shown.
  void VisibilityChanged(bool visible);

 private:
  struct Window {
    bool open = false;
    bool dialog = false;
    PixelSize size;
    std::vector<std::uint32_t> pixels;
    int page_id = -1;
  };
  Window& At(WindowId window);
  const Window& At(WindowId window) const;
  void Follow(float ratio);

  std::vector<Window> windows_;
  double frame_time_ = 0;        // the current animation frame's, or 0 outside one
  mutable double last_now_ = 0;  // what the clock said last: it never goes back
  std::vector<WindowEvent> arrived_;
  Duration period_ = k60Hz;
  bool presentable_ = true;  // the form's last frame has been taken by the display
  bool hidden_ = false;
  float ratio_ = 0;       // the device pixel ratio the form is drawn at
  double css_width_ = 0;  // the form's size in CSS pixels, which zoom keeps
  double css_height_ = 0;
};

}  // namespace rt::web
