// Tells Tarvel the session is ending, as Windows does at log-off or shut-down: first asks
// whether it may end (WM_QUERYENDSESSION), then says that it does (WM_ENDSESSION). Only the
// tests build it; it runs in the same Wine session as Tarvel.
#include <windows.h>

#include <cstdio>

int main() {
  HWND form = FindWindowW(L"Tarvel", L"Form1");
  if (!form) {
    std::fprintf(stderr, "end_session: no window Form1\n");
    return 1;
  }
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                           &answer) ||
      answer == 0) {
    std::fprintf(stderr, "end_session: Form1 would not let the session end\n");
    return 1;
  }
  // Tarvel ends while it handles this, so no answer is awaited.
  SendMessageTimeoutW(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return 0;
}
