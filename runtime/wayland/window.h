// One Tarvel window on Wayland: an xdg toplevel, its pixels in two shared-memory buffers, and
// the compositor's pacing (a frame is drawn only once the last one has been shown).
#pragma once

#include <wayland-client.h>

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "runtime/backend.h"
#include "runtime/native/buffer_pair.h"
#include "runtime/native/shared_memory.h"
#include "runtime/wayland/connection.h"
#include "runtime/wayland/frame_forecast.h"

namespace rt::wayland {

class Window {
 public:
  // Opens the window and waits for the compositor's first configure, so it can be drawn at
  // once. `scale` is the scale `wanted.client` was worked out at; `parent` is null for a form.
  Window(Connection& connection, WindowId id, const WindowSpec& wanted, int scale,
         const Window* parent);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowId id() const { return id_; }
  // Device pixels per logical pixel.
  double Scale() const;
  int IntegerScale() const { return integer_scale_; }
  const wl_output* CurrentOutput() const;

  bool CanPresent() const;
  PixelBuffer Buffer();
  void Present(std::span<const PixelRect> damage);
  // Whether the window waits for the compositor (a frame callback or a buffer's release)
  // before it can show another frame.
  // Paced by the loop's clock, the compositor's call is read with the next frame, not waited
  // for.
  bool WaitingForCompositor() const { return shown_ && !CanPresent() && !by_clock_; }
  void PaceByClock(bool by_clock) { by_clock_ = by_clock; }
  // When to read the connection for the awaited frame callback without watching it before;
  // nothing when it must be watched (see FrameForecast).
  std::optional<TimePoint> LookForCallbackAt(TimePoint now) const;

  // For the listeners.
  void Configure(std::uint32_t serial);
  void ToplevelConfigure(int width, int height);
  void CloseRequested();
  void FrameDone();
  // Passes on a callback held since it was read early, once its usual time has come.
  void ReleaseHeld(TimePoint now);
  void Released(int set, int index);
  void Entered(wl_output* output);
  void Left(wl_output* output);
  void PreferredScale(std::uint32_t scale_120ths);
  void OutputsChanged();

 private:
  struct Buffers;

  PixelSize DeviceSize() const;
  void ScaleMayHaveChanged();
  void MaybeReady();
  void DropIdleBuffers();

  Connection& connection_;
  WindowId id_;
  bool follows_scale_;  // a form follows its output's scale; a dialog keeps the one it opened at
  PixelSize logical_;
  int integer_scale_;
  std::uint32_t fractional_120ths_ = 0;  // 0 where the compositor offers no fractional scale
  std::vector<wl_output*> outputs_;      // the outputs the window is on

  Owned<wl_surface> surface_;
  Owned<xdg_surface> xdg_surface_;
  Owned<xdg_toplevel> toplevel_;
  Owned<zxdg_toplevel_decoration_v1> decoration_;
  Owned<wp_viewport> viewport_;
  Owned<wp_fractional_scale_v1> fractional_;
  Owned<wl_callback> frame_callback_;
  FrameForecast forecast_;

  bool configured_ = false;
  bool shown_ = false;
  bool ready_sent_ = false;
  bool by_clock_ = false;
  std::optional<TimePoint> held_until_;  // a callback read early, passed on at its usual time
  bool scale_sent_to_surface_ = false;   // the buffer scale or viewport matches the buffers
  std::unique_ptr<Buffers> buffers_;
  std::vector<std::unique_ptr<Buffers>> retired_;  // replaced, still held by the compositor
  int next_set_ = 0;
  int acquired_ = -1;
};

}  // namespace rt::wayland
