// Form1 built on the headless backend, with its handlers called directly.
#pragma once

#include <cstdint>

#include "form1/form1.h"
#include "runtime/form.h"
#include "runtime/headless/headless_backend.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"

namespace tarvel_test {

struct Form1Fixture {
  rt::HeadlessBackend backend;
  rt::TextEngine text;
  rt::Random random;
  rt::Form form{form1::Form1Design(), text, backend, random};
  rt::Events events;
  form1::Form1 code{form, events};
  rt::Label& label = form.LabelNamed("Label1");

  // Gives the backend a window to paint into, as the runtime does before the first frame.
  void OpenWindow() {
    backend.OpenWindow(
        {.title = "Form1", .client = form.ClientPixels(), .back_color = form.BackColor()});
  }

  // Width in twips of `caption` in Label1's font, as the label would size itself.
  float WidthOf(std::u16string_view caption) {
    return static_cast<float>(text.Measure(label.FontHandle(), caption).width) *
           rt::kTwipsPerPixelAt96Dpi;
  }
  // Height in twips of a line in Label1's font, which is the label's height whatever its
  // caption. (On Linux, DejaVu Sans at 32 px: 38 px, 570 twips; the text engine's own test pins
  // that.)
  float LineHeight() {
    return static_cast<float>(text.Measure(label.FontHandle(), u"").height) *
           rt::kTwipsPerPixelAt96Dpi;
  }
  static rt::Text Caption(std::u16string_view face, std::int64_t count) {
    return rt::ConcatText(face, rt::IntToText(count));
  }
};

}  // namespace tarvel_test
