// The connection to a Wayland compositor and the globals Tarvel binds on it: the compositor,
// shared memory, the shell, outputs (for scale and refresh rate), input (for the error box),
// and the optional viewporter, fractional scale and decoration managers.
#pragma once

#include <wayland-client.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fractional-scale-v1-client.h"
#include "runtime/backend.h"
#include "runtime/wayland/owned.h"
#include "viewporter-client.h"
#include "xdg-decoration-unstable-v1-client.h"
#include "xdg-shell-client.h"

struct wl_cursor_theme;

namespace rt::wayland {

class Connection;
class Window;

struct Output {
  Connection* connection = nullptr;
  Owned<wl_output> output;
  std::uint32_t name = 0;
  int scale = 1;
  int refresh_mhz = 0;  // of its current mode; 0 when not told
};

class Connection {
 public:
  // Connects to the compositor named by the environment and binds what Tarvel needs, with one
  // round trip. Throws PlatformError ("cannot open a display: ...") when there is none or it
  // lacks something Tarvel cannot do without. Window events are appended to `events`.
  explicit Connection(std::vector<WindowEvent>& events);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  wl_display* display() const { return display_; }
  wl_compositor* compositor() const { return compositor_.get(); }
  wl_shm* shm() const { return shm_.get(); }
  xdg_wm_base* shell() const { return shell_.get(); }
  wp_viewporter* viewporter() const { return viewporter_.get(); }
  wp_fractional_scale_manager_v1* fractional_scale() const { return fractional_scale_.get(); }
  zxdg_decoration_manager_v1* decorations() const { return decorations_.get(); }
  std::vector<WindowEvent>& events() const { return events_; }

  // The largest scale of any output: what a window is first drawn at, before it is told which
  // output it is on.
  int LargestScale() const;
  const Output* FindOutput(const wl_output* output) const;
  // The refresh rate of `output` (or of the first output when null), in mHz; 0 when unknown.
  int RefreshMilliHz(const wl_output* output) const;

  // Called when an output has told something new about itself (its scale, say).
  void OnOutputsChanged(std::function<void()> changed) { outputs_changed_ = std::move(changed); }
  void OutputDone() const {
    if (outputs_changed_) {
      outputs_changed_();
    }
  }

  // When the events being dispatched were read, and whether the connection was being watched
  // then, so that they came just before: what a window learns its compositor's pace from.
  struct Reading {
    TimePoint at{};
    bool watched = false;
  };
  void Read(Reading reading) { reading_ = reading; }
  const Reading& LastReading() const { return reading_; }

  // Throws the PlatformError that says why the connection failed.
  [[noreturn]] void Lost() const;

  // For the listeners.
  void AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                 std::uint32_t version);
  void RemoveGlobal(std::uint32_t name);
  void SeatCapabilities(std::uint32_t capabilities);
  void KeyboardFocus(wl_surface* surface) { keyboard_focus_ = surface; }
  void Key(std::uint32_t key, std::uint32_t state);
  void PointerEnter(std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
  void PointerLeave() { pointer_focus_ = nullptr; }
  void PointerMotion(wl_fixed_t x, wl_fixed_t y);
  void PointerButton(std::uint32_t button, std::uint32_t state);

 private:
  // Listens to the seat just bound, for its keyboard and pointer.
  void ListenToSeat();
  // The window behind one of our surfaces, or null.
  static Window* WindowOf(wl_surface* surface);
  void ShowCursor(std::uint32_t serial, const Window& window);

  std::vector<WindowEvent>& events_;
  wl_display* display_ = nullptr;
  Owned<wl_registry> registry_;
  Owned<wl_compositor> compositor_;
  Owned<wl_shm> shm_;
  Owned<xdg_wm_base> shell_;
  Owned<wp_viewporter> viewporter_;
  Owned<wp_fractional_scale_manager_v1> fractional_scale_;
  Owned<zxdg_decoration_manager_v1> decorations_;
  Owned<wl_seat> seat_;
  Owned<wl_keyboard> keyboard_;
  Owned<wl_pointer> pointer_;
  std::vector<std::unique_ptr<Output>> outputs_;
  std::function<void()> outputs_changed_;
  Reading reading_;

  wl_surface* keyboard_focus_ = nullptr;
  wl_surface* pointer_focus_ = nullptr;
  wl_fixed_t pointer_x_ = 0;
  wl_fixed_t pointer_y_ = 0;
  // The pointer's image over our windows, loaded the first time it comes by.
  wl_cursor_theme* cursor_theme_ = nullptr;
  int cursor_scale_ = 0;
  Owned<wl_surface> cursor_surface_;
};

}  // namespace rt::wayland
