// Looks at Form1 as the taskbar and the window menu see it, then closes it from its window menu
// (WM_SYSCOMMAND, SC_CLOSE), as the taskbar's Close does. Ends with 0 when the window has the
// styles that give it a window menu and a minimise command and draws no frame; 1, saying why,
// otherwise. (The menu itself belongs to Tarvel's process, which Wine does not let another
// process read.) Only the tests build it; it runs in the same Wine session as Tarvel.
#include <windows.h>

#include <cstdio>

namespace {

int Fail(const char* why) {
  std::fprintf(stderr, "window_menu: %s\n", why);
  return 1;
}

}  // namespace

int main() {
  HWND form = FindWindowW(L"Tarvel", L"Form1");
  if (!form) {
    return Fail("no window Form1");
  }
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE));
  if ((style & (WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX)) !=
      (WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX)) {
    return Fail("not a popup with a window menu and a minimise command");
  }
  if ((style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME)) != 0) {
    return Fail("it has a title bar or a frame");
  }
  RECT outer{};
  RECT client{};
  GetWindowRect(form, &outer);
  GetClientRect(form, &client);
  if (outer.right - outer.left != client.right || outer.bottom - outer.top != client.bottom) {
    return Fail("its client area is not the whole window");
  }
  if (!PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0)) {
    return Fail("the close command could not be sent");
  }
  return 0;
}
