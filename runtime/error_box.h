// The run-time error report: its line on stderr, and its box, a small window over the form
// saying what went wrong, with an OK button. The runtime draws the box itself, with the same
// text engine as the form, so it looks the same on every platform and needs nothing more
// installed.
#pragma once

#include <string>
#include <vector>

#include "runtime/backend.h"
#include "runtime/types.h"

namespace rt {

class TextEngine;

// Where everything in the box goes, in device pixels.
struct ErrorBoxLayout {
  PixelSize size;
  std::vector<std::u16string> lines;  // the message, wrapped
  PixelPoint text;                    // top-left of the first line
  int line_height = 0;
  PixelRect button;
  PixelPoint button_text;  // top-left of "OK"
  int font = 0;            // handle in the text engine it was laid out with
};

// Lays out `message` for a box at the text engine's scale.
ErrorBoxLayout LayOutErrorBox(TextEngine& text, const std::string& message);

// The box, run a wait at a time by its caller (a page, which must never block): opening it
// shows it over `parent`; each Step takes the events of one wait, draws what changed, and
// says whether the box has been dismissed: by its window-close command, Enter, Escape,
// Space, a click on OK, or the process being asked to end. Destroying it closes it.
class ErrorBox {
 public:
  ErrorBox(Backend& backend, TextEngine& text, WindowId parent, const std::string& title,
           const std::string& message);
  ~ErrorBox();
  ErrorBox(const ErrorBox&) = delete;
  ErrorBox& operator=(const ErrorBox&) = delete;

  bool Step(const std::vector<WindowEvent>& events);

 private:
  void Handle(const WindowEvent& event);
  void SetPressed(bool pressed);
  void Paint();

  Backend& backend_;
  TextEngine& text_;
  WindowId parent_;
  ErrorBoxLayout layout_;
  WindowId window_ = kNoWindow;
  bool dirty_ = true;
  bool pressed_ = false;
  bool dismissed_ = false;
};

// Shows the box over `parent` and returns once it is dismissed, blocking in the backend's wait.
void ShowErrorBox(Backend& backend, TextEngine& text, WindowId parent, const std::string& title,
                  const std::string& message);

// Prints one run-time error report's line to stderr; returns the message it said.
std::string PrintRunTimeError(const std::string& program, const std::string& handler,
                              const std::string& what);

// Prints one run-time error report to stderr, then shows it in a box over `parent` (through
// `backend`) and returns once the box is dismissed.
void ReportRunTimeError(const std::string& program, const std::string& handler,
                        const std::string& what, Backend& backend, TextEngine& text,
                        WindowId parent);

}  // namespace rt
