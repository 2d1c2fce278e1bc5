// The error report's box: a small window over the form, saying what went wrong, with an OK
// button. The runtime draws it itself, with the same text engine as the form, so it looks the
// same on every platform and needs nothing more installed.
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

// Shows the box over `parent` and returns once it is dismissed: by its window-close command,
// Enter, Escape, Space, a click on OK, or the process being asked to end.
void ShowErrorBox(Backend& backend, TextEngine& text, WindowId parent, const std::string& title,
                  const std::string& message);

}  // namespace rt
