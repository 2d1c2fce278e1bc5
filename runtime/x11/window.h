// One Tarvel window on X11: its properties for the window manager, and its pixels presented
// through shared memory (MIT-SHM) from two buffers in turn, or sent over the wire where the
// server cannot share memory (a remote display).
#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <span>
#include <vector>

#include "runtime/backend.h"
#include "runtime/x11/connection.h"
#include "runtime/x11/visibility.h"

namespace rt::x11 {

class Window {
 public:
  // Creates the window, unmapped: it is mapped with its first frame. `parent` is null for a
  // form; a dialog is set over its parent (transient for it).
  Window(Connection& connection, WindowId id, const WindowSpec& wanted, const Window* parent,
         std::vector<WindowEvent>& events);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowId id() const { return id_; }
  xcb_window_t xid() const { return window_; }
  bool AnswersInput() const { return dialog_; }
  Visibility& visibility() { return visibility_; }
  const Visibility& visibility() const { return visibility_; }

  bool CanPresent() const;
  PixelBuffer Buffer();
  void Present(std::span<const PixelRect> damage);

  // For the event handling: part of the window must be shown again, the window's size
  // changed, or the server is done reading a buffer.
  void Exposed(const PixelRect& area);
  void Configured(int width, int height);
  void Completed(std::uint32_t segment, std::uint32_t offset);

 private:
  struct Buffers;

  void SetProperties(const WindowSpec& wanted, const Window* parent, int x, int y);
  // Sends `area` of buffer `index`; asks for a completion event when `notify`.
  void Send(const Buffers& buffers, int index, const PixelRect& area, bool notify);

  Connection& connection_;
  std::vector<WindowEvent>& events_;
  WindowId id_;
  bool dialog_;
  xcb_window_t window_ = 0;
  xcb_gcontext_t gc_ = 0;
  PixelSize size_;
  bool mapped_ = false;
  std::unique_ptr<Buffers> buffers_;
  std::vector<std::unique_ptr<Buffers>> retired_;  // replaced, still being read by the server
  int acquired_ = -1;
  int front_ = -1;  // the buffer presented last, which holds what the window shows
  Visibility visibility_;
  std::vector<std::uint8_t> wire_;  // a region's rows, packed, on their way without MIT-SHM
};

}  // namespace rt::x11
