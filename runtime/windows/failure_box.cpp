#include "runtime/windows/failure_box.h"

#include <windows.h>

#include "runtime/text.h"

namespace rt::windows {

void ShowFailureBox(const std::string& title, const std::string& message) {
  const std::u16string wide_title = FromUtf8(title);
  const std::u16string wide_message = FromUtf8(message);
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(wide_message.c_str()),
              reinterpret_cast<const wchar_t*>(wide_title.c_str()),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace rt::windows
