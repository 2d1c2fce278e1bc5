#include "runtime/windows/window.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "runtime/native/dib_section.h"
#include "runtime/rect.h"
#include "runtime/text.h"
#include "runtime/windows/dpi.h"

namespace rt::windows {

namespace {

constexpr wchar_t kClassName[] = L"Tarvel";
// A form without a border is a popup: its client area is the whole window. It still has a
// window menu (Alt+Space, the taskbar's menu) and can be minimised, from the menu or by clicking
// its taskbar button: for a window with no title bar that is most of how a person handles it.
// Without a caption or a frame style, neither draws anything.
constexpr DWORD kBorderlessStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kBorderedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;

// Windows passes pointers in its messages' integer parameters, and keeps the Window for each
// handle in one: casting them back is how its API is used.
// NOLINTBEGIN(performance-no-int-to-ptr)
LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
  return window ? window->Handle(handle, message, wparam, lparam)
                : DefWindowProcW(handle, message, wparam, lparam);
}
// NOLINTEND(performance-no-int-to-ptr)

// The program's icon (resource 1, in the executable's resources) at the given size; null
// where the executable carries none.
HICON ProgramIcon(int metric_x, int metric_y) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                       GetSystemMetrics(metric_x), GetSystemMetrics(metric_y),
                                       LR_DEFAULTCOLOR | LR_SHARED));
}

std::string LastError() {
  return "error " + std::to_string(GetLastError());
}

}  // namespace

WindowClass::WindowClass() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_OWNDC;  // one DC for the window's life, not one per frame
  window_class.lpfnWndProc = Procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hIcon = ProgramIcon(SM_CXICON, SM_CYICON);
  window_class.hIconSm = ProgramIcon(SM_CXSMICON, SM_CYSMICON);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = nullptr;  // every pixel is the runtime's: nothing is erased first
  window_class.lpszClassName = kClassName;
  if (!RegisterClassExW(&window_class)) {
    throw PlatformError("cannot make a window: the window class was refused (" + LastError() + ")");
  }
}

WindowClass::~WindowClass() {
  UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

const wchar_t* WindowClass::name() const {
  return kClassName;
}

Window::Window(const WindowClass& window_class, WindowId id, const WindowSpec& wanted,
               const Window* parent, std::vector<WindowEvent>& events)
    : events_(events),
      id_(id),
      dialog_(wanted.role == WindowSpec::Role::kDialog),
      owner_(parent ? parent->window_ : nullptr),
      size_{std::max(wanted.client.width, 1), std::max(wanted.client.height, 1)} {
  const DWORD style = dialog_ ? kDialogStyle : wanted.border ? kBorderedStyle : kBorderlessStyle;
  const DWORD ex_style = dialog_ ? kDialogExStyle : 0;
  const RECT outer = OuterRect(size_.width, size_.height, style, ex_style, DpiOf(owner_));
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  // Centred on the primary monitor's work area (clear of the taskbar), or over the owner.
  RECT around{};
  if (owner_) {
    GetWindowRect(owner_, &around);
  } else {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    around = monitor.rcWork;
  }
  const int x = around.left + (around.right - around.left - width) / 2;
  const int y = around.top + (around.bottom - around.top - height) / 2;
  const std::u16string title = FromUtf8(wanted.title);
  window_ = CreateWindowExW(ex_style, window_class.name(),
                            reinterpret_cast<const wchar_t*>(title.c_str()), style, x, y, width,
                            height, owner_, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) {
    throw PlatformError("cannot make a window (" + LastError() + ")");
  }
  window_dc_ = GetDC(window_);
  bitmap_dc_ = CreateCompatibleDC(window_dc_);
  if (!bitmap_dc_) {
    DestroyWindow(window_);
    throw PlatformError("cannot make a window's bitmap (" + LastError() + ")");
  }
  MakeBitmap();
  if (!dialog_) {
    seen_ = std::make_unique<SeenWatch>(window_);
  }
}

Window::~Window() {
  seen_.reset();
  if (dialog_ && owner_) {
    // Before the box goes, so that Windows hands the activation back to the form.
    EnableWindow(owner_, TRUE);
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  SelectObject(bitmap_dc_, original_bitmap_);
  DeleteObject(bitmap_);
  DeleteDC(bitmap_dc_);
}

void Window::MakeBitmap() {
  std::uint32_t* pixels = nullptr;
  HBITMAP made = gdi::MakeDibSection(bitmap_dc_, size_, pixels);
  if (!made) {
    throw PlatformError("cannot make a window's bitmap (" + LastError() + ")");
  }
  HGDIOBJ previous = SelectObject(bitmap_dc_, made);
  if (bitmap_) {
    DeleteObject(bitmap_);
  } else {
    original_bitmap_ = previous;
  }
  bitmap_ = made;
  pixels_ = {pixels, size_.width, size_.height, size_.width * 4};
}

PixelBuffer Window::Buffer() {
  if (pixels_.width != size_.width || pixels_.height != size_.height) {
    MakeBitmap();
  }
  return pixels_;
}

void Window::Copy(HDC to, const RECT& area) const {
  BitBlt(to, area.left, area.top, area.right - area.left, area.bottom - area.top, bitmap_dc_,
         area.left, area.top, SRCCOPY);
}

void Window::Present(std::span<const PixelRect> damage) {
  if (!shown_) {
    // Shown with its first frame, so it never appears unpainted.
    shown_ = true;
    if (dialog_ && owner_) {
      EnableWindow(owner_, FALSE);  // modal, as a message box is
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    if (dialog_) {
      SetForegroundWindow(window_);
    }
    Copy(window_dc_, {0, 0, pixels_.width, pixels_.height});
  } else if (IsIconic(window_)) {
    // Minimised: nothing shows. The bitmap keeps the frame, which WM_PAINT copies on restore.
    return;
  } else {
    const PixelRect whole{0, 0, pixels_.width, pixels_.height};
    for (const PixelRect& changed : damage) {
      const PixelRect area = Intersect(changed, whole);
      if (!area.empty()) {
        Copy(window_dc_, {area.x, area.y, area.x + area.width, area.y + area.height});
      }
    }
  }
  // GDI batches drawing per thread: the frame goes to the screen now, not at the next call.
  GdiFlush();
}

void Window::Push(WindowEvent event) {
  event.window = id_;
  events_.push_back(event);
}

LRESULT Window::Handle(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
  if (seen_ && seen_->Take(message, wparam, lparam)) {
    Push({.kind = WindowEvent::Kind::kVisibilityChanged, .visible = seen_->Seen()});
  }
  switch (message) {
    case WM_CLOSE:
      // The window-close command (Alt+F4, the taskbar's Close): the runtime decides.
      Push({.kind = WindowEvent::Kind::kCloseRequested});
      return 0;
    case WM_ENDSESSION:
      if (wparam) {
        // The session ends, and Windows may end the process as soon as this returns. Nothing
        // is kept, so Tarvel ends here, as it would on the close command.
        std::fflush(nullptr);
        ExitProcess(0);
      }
      return 0;
    case WM_DISPLAYCHANGE:
      // A new mode, maybe a new refresh rate: the frames are paced afresh.
      display_changed_ = true;
      break;
    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETNONCLIENTMETRICS && !dialog_) {
        // The message font changed, and the text stands in it: laid out afresh, same scale.
        Push({.kind = WindowEvent::Kind::kScaleChanged,
              .size = size_,
              .scale = static_cast<float>(DpiOf(handle)) / static_cast<float>(kDefaultDpi)});
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the frame covers every pixel
    case WM_PAINT: {
      // Shown again after being covered: the last frame is still in the bitmap.
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(handle, &paint);
      if (shown_) {
        Copy(dc, paint.rcPaint);
      }
      EndPaint(handle, &paint);
      return 0;
    }
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED && LOWORD(lparam) > 0 && HIWORD(lparam) > 0) {
        const PixelSize now{LOWORD(lparam), HIWORD(lparam)};
        if (now != size_) {
          size_ = now;
          Push({.kind = WindowEvent::Kind::kResized, .size = size_});
        }
      }
      return 0;
    case WM_DPICHANGED:
      if (!dialog_) {
        // Moved to a monitor of another DPI: the window takes the size Windows suggests, and
        // its text is laid out afresh there, never stretched.
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the rectangle, passed as the message says
        const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
        size_ = {suggested.right - suggested.left, suggested.bottom - suggested.top};
        Push({.kind = WindowEvent::Kind::kScaleChanged,
              .size = size_,
              .scale = static_cast<float>(LOWORD(wparam)) / static_cast<float>(kDefaultDpi)});
        SetWindowPos(handle, nullptr, suggested.left, suggested.top, size_.width, size_.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_KEYDOWN:
      if (dialog_) {
        Key key = Key::kOther;
        if (wparam == VK_RETURN) {
          key = Key::kEnter;
        } else if (wparam == VK_ESCAPE) {
          key = Key::kEscape;
        } else if (wparam == VK_SPACE) {
          key = Key::kSpace;
        }
        Push({.kind = WindowEvent::Kind::kKeyPressed, .key = key});
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      if (dialog_) {
        // Held while the button is down, so a release outside the box is heard too.
        if (message == WM_LBUTTONDOWN) {
          SetCapture(handle);
        } else {
          ReleaseCapture();
        }
        const PixelPoint point{static_cast<short>(LOWORD(lparam)),
                               static_cast<short>(HIWORD(lparam))};
        Push({.kind = message == WM_LBUTTONDOWN ? WindowEvent::Kind::kButtonPressed
                                                : WindowEvent::Kind::kButtonReleased,
              .point = point});
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(handle, message, wparam, lparam);
}

}  // namespace rt::windows
