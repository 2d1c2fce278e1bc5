// A backend with no display, for tests, benchmarks and tools.
//
// Its clock is virtual: waiting for a deadline jumps straight to it, so a program runs as fast
// as it can compute while every timer and frame keeps its exact place in time. Frames are
// painted by the same text and painting code as on a real display, into an offscreen surface
// that can be inspected. Error boxes are recorded instead of shown.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/backend.h"

namespace rt {

class HeadlessBackend final : public Backend {
 public:
  static constexpr Duration k60Hz = Duration(16'666'667);

  explicit HeadlessBackend(Duration frame_period = k60Hz, float scale = 1.0F);
  ~HeadlessBackend() override;
  HeadlessBackend(const HeadlessBackend&) = delete;
  HeadlessBackend& operator=(const HeadlessBackend&) = delete;

  // Backend
  TimePoint Now() const override { return now_; }
  Duration FramePeriod() const override { return frame_period_; }
  float Scale() const override { return scale_; }
  void OpenWindow(const WindowSpec& window) override;
  SDL_Surface* Surface() override { return surface_.get(); }
  void Present(std::span<const PixelRect> damage) override;
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;
  void ShowError(const std::string& title, const std::string& message) override;

  // Scripted window events, delivered when the virtual clock reaches `when`.
  void CloseAt(TimePoint when);
  void ResizeAt(TimePoint when, PixelSize client);
  // Called after every presented frame, with the clock at that frame.
  void OnPresent(std::function<void()> observer) { on_present_ = std::move(observer); }

  // What a test can look at.
  bool WindowShown() const { return presents_ > 0; }
  const WindowSpec& Window() const { return window_; }
  long long Presents() const { return presents_; }
  Color PixelAt(int x, int y) const;
  const std::vector<std::string>& ErrorBoxes() const { return error_boxes_; }

  // Time since the virtual epoch, which is where the clock starts.
  Duration Elapsed() const { return now_ - TimePoint{}; }

 private:
  struct Scripted {
    TimePoint when;
    WindowEvent event;
  };
  struct SurfaceFree {
    void operator()(SDL_Surface* surface) const;
  };

  void MakeSurface(PixelSize size);

  Duration frame_period_;
  float scale_;
  TimePoint now_{};
  WindowSpec window_;
  std::unique_ptr<SDL_Surface, SurfaceFree> surface_;
  std::vector<Scripted> script_;
  std::function<void()> on_present_;
  long long presents_ = 0;
  std::vector<std::string> error_boxes_;
};

}  // namespace rt
