// Cancels an installer's wizard as a person would: its Cancel button, then Yes when it asks
// whether to quit. Waits up to a minute for the wizard, whose title is the first argument.
// Ends with 0 once the wizard has gone; 1, saying why, otherwise. Only the tests build it.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kTries = 600;  // of 100 ms

struct Search {
  HWND owner;
  HWND found;
};

// A message box the wizard has opened: a dialog it owns.
HWND BoxOwnedBy(HWND wizard) {
  Search search{wizard, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(data);  // NOLINT(performance-no-int-to-ptr)
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (GetWindow(window, GW_OWNER) == wanted->owner && lstrcmpW(name, L"#32770") == 0 &&
            IsWindowVisible(window)) {
          wanted->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cancel_setup TITLE\n");
    return 2;
  }
  HWND wizard = nullptr;
  for (int i = 0; i < kTries && !(wizard = FindWindowW(L"#32770", argv[1])); ++i) {
    Sleep(100);
  }
  if (!wizard) {
    std::fprintf(stderr, "cancel_setup: no wizard\n");
    return 1;
  }
  Sleep(500);  // its first page is drawn and answering
  PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(wizard, IDCANCEL)));
  for (int i = 0; i < kTries && IsWindow(wizard); ++i) {
    if (HWND box = BoxOwnedBy(wizard)) {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    }
    Sleep(100);
  }
  if (IsWindow(wizard)) {
    std::fprintf(stderr, "cancel_setup: the wizard is still open\n");
    return 1;
  }
  return 0;
}
