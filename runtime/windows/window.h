// One Tarvel window on Windows: a top-level window (a borderless popup for a form, a box with
// a title bar owned by its form for a dialog), its pixels in a 32-bit top-down DIB section
// that GDI copies to the screen (only the rectangles that changed), and the messages it gets,
// turned into the runtime's window events.
#pragma once

#include <windows.h>

#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "runtime/backend.h"
#include "runtime/windows/seen_watch.h"

namespace rt::windows {

// The window class every Tarvel window is made of, registered while it lives.
class WindowClass {
 public:
  WindowClass();
  ~WindowClass();
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  const wchar_t* name() const;
};

class Window {
 public:
  // Creates the window, hidden: it is shown with its first frame. A form is centred on the
  // primary monitor's work area; a dialog over `parent`, which it keeps disabled while it is
  // open, as a modal box does. Throws PlatformError when Windows makes no window.
  Window(const WindowClass& window_class, WindowId id, const WindowSpec& wanted,
         const Window* parent, std::vector<WindowEvent>& events);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowId id() const { return id_; }
  HWND handle() const { return window_; }
  // The pixels reach the screen before Present returns: the buffer is always free.
  bool CanPresent() const { return true; }
  PixelBuffer Buffer();
  void Present(std::span<const PixelRect> damage);

  // Whether the display's mode (size, refresh rate) changed since last asked.
  bool TakeDisplayChanged() { return std::exchange(display_changed_, false); }

  // The window procedure, for this window's messages (some come while CreateWindowExW is still
  // making it, before handle() is known).
  LRESULT Handle(HWND handle, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void MakeBitmap();
  void Copy(HDC to, const RECT& area) const;
  void Push(WindowEvent event);

  std::vector<WindowEvent>& events_;
  WindowId id_;
  bool dialog_;
  HWND owner_ = nullptr;
  HWND window_ = nullptr;
  HDC window_dc_ = nullptr;
  PixelSize size_;
  // The frame: a DIB section, selected into a memory DC for copying to the screen.
  HDC bitmap_dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_bitmap_ = nullptr;
  PixelBuffer pixels_;
  bool shown_ = false;
  std::unique_ptr<SeenWatch> seen_;  // a form's only
  bool display_changed_ = false;
};

}  // namespace rt::windows
