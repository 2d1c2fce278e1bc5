#include "runtime/windows/seen_watch.h"

namespace rt::windows {

namespace {

// From wtsapi32.h and the power headers, which older headers lack.
constexpr UINT kSessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr WPARAM kSessionLock = 0x7;
constexpr WPARAM kSessionUnlock = 0x8;
constexpr DWORD kThisSession = 0;               // NOTIFY_FOR_THIS_SESSION
constexpr WPARAM kPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE
constexpr DWORD kToWindow = 0;                  // DEVICE_NOTIFY_WINDOW_HANDLE
constexpr GUID kConsoleDisplayState = {         // GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed
    0x6fe69556,
    0x704a,
    0x47a0,
    {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// A function of a system library, or null where this Windows has none.
template <class Function>
Function Find(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) {
    module = LoadLibraryW(library);
  }
  // Through a plain function pointer: GetProcAddress hands every function out as one type.
  return module ? reinterpret_cast<Function>(
                      reinterpret_cast<void (*)()>(GetProcAddress(module, name)))  // NOLINT
                : nullptr;
}

using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSession = BOOL(WINAPI*)(HWND);
using RegisterPower = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterPower = BOOL(WINAPI*)(HANDLE);

}  // namespace

SeenWatch::SeenWatch(HWND window) : window_(window) {
  if (const auto watch = Find<RegisterSession>(L"wtsapi32.dll", "WTSRegisterSessionNotification")) {
    session_watched_ = watch(window_, kThisSession) != FALSE;
  }
  if (const auto watch = Find<RegisterPower>(L"user32.dll", "RegisterPowerSettingNotification")) {
    display_watch_ = watch(window_, &kConsoleDisplayState, kToWindow);
  }
  minimised_ = IsIconic(window_) != FALSE;
}

SeenWatch::~SeenWatch() {
  if (session_watched_) {
    if (const auto stop =
            Find<UnregisterSession>(L"wtsapi32.dll", "WTSUnRegisterSessionNotification")) {
      stop(window_);
    }
  }
  if (display_watch_) {
    if (const auto stop =
            Find<UnregisterPower>(L"user32.dll", "UnregisterPowerSettingNotification")) {
      stop(display_watch_);
    }
  }
}

bool SeenWatch::Take(UINT message, WPARAM wparam, LPARAM lparam) {
  const bool before = Seen();
  if (message == WM_SIZE) {
    minimised_ = wparam == SIZE_MINIMIZED;
  } else if (message == kSessionChange && (wparam == kSessionLock || wparam == kSessionUnlock)) {
    locked_ = wparam == kSessionLock;
  } else if (message == WM_POWERBROADCAST && wparam == kPowerSettingChange && lparam != 0) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the setting, passed as the message says
    const auto& setting = *reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam);
    if (IsEqualGUID(setting.PowerSetting, kConsoleDisplayState) &&
        setting.DataLength >= sizeof(DWORD)) {
      DWORD state = 0;
      CopyMemory(&state, setting.Data, sizeof state);
      display_off_ = state == 0;
    }
  }
  return Seen() != before;
}

}  // namespace rt::windows
