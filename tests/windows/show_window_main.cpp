// Minimises Tarvel's form, or restores it, through the window message a taskbar button or the
// window menu sends (WM_SYSCOMMAND): `tarvel_show_window minimize|restore`. Only the tests
// build it; it runs in the same Wine session as Tarvel.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  const bool minimise = argc == 2 && std::strcmp(argv[1], "minimize") == 0;
  if (!minimise && !(argc == 2 && std::strcmp(argv[1], "restore") == 0)) {
    std::fprintf(stderr, "usage: tarvel_show_window minimize|restore\n");
    return 2;
  }
  HWND form = FindWindowW(L"Tarvel", L"Form1");
  if (!form) {
    std::fprintf(stderr, "show_window: no window Form1\n");
    return 1;
  }
  const WPARAM command = minimise ? SC_MINIMIZE : SC_RESTORE;
  return SendMessageTimeoutW(form, WM_SYSCOMMAND, command, 0, SMTO_ABORTIFHUNG, 5000, nullptr) ? 0
                                                                                               : 1;
}
