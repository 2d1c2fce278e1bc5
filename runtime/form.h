// Form: a window with its controls, built from a design.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/clock.h"
#include "runtime/design.h"
#include "runtime/label.h"
#include "runtime/random.h"
#include "runtime/text.h"
#include "runtime/timer.h"
#include "runtime/types.h"

namespace rt {

class TextMeasurer;

class Form {
 public:
  // Builds the form and its controls from `design`. `twips_per_pixel` is 15 at 96 DPI and
  // smaller on a scaled display, so that twips keep their physical size.
  Form(const FormDesign& design, TextMeasurer& measurer, const Clock& clock, Random& random,
       Twips twips_per_pixel = kTwipsPerPixelAt96Dpi);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }
  const Text& Caption() const { return caption_; }
  bool HasBorder() const { return border_; }
  Color BackColor() const { return back_color_; }

  // The window's outer size. Its windows have no frame of their own beyond what the design
  // asks for, and a borderless window's outer size is its client size. Raises a run-time error
  // once the form is unloaded.
  Twips Width() const;
  Twips Height() const;

  // The control of that name; a name the design lacks is a programming error (std::logic_error).
  Label& LabelNamed(std::string_view name);
  Timer& TimerNamed(std::string_view name);
  const std::vector<std::unique_ptr<Label>>& Labels() const { return labels_; }
  const std::vector<std::unique_ptr<Timer>>& Timers() const { return timers_; }

  Random& Rnd() { return random_; }

  // The runtime's side of the form.
  PixelSize ClientPixels() const { return client_; }
  Twips TwipsPerPixel() const { return twips_per_pixel_; }
  void WindowResized(PixelSize client);
  // The window now shows at another scale: `twips_per_pixel` and its client size in pixels
  // change together, and every label is measured afresh.
  void Rescale(Twips twips_per_pixel, PixelSize client);
  bool IsLoaded() const { return loaded_; }
  void Unload() { loaded_ = false; }
  void Invalidate() { invalidated_ = true; }
  // Whether anything changed on screen since the last call.
  bool TakeInvalidated();

 private:
  void CheckLoaded(const char* member) const;

  std::string name_;
  Text caption_;
  bool border_;
  Color back_color_;
  Twips twips_per_pixel_;
  PixelSize client_;
  Random& random_;
  bool loaded_ = true;
  bool invalidated_ = true;
  std::vector<std::unique_ptr<Timer>> timers_;
  std::vector<std::unique_ptr<Label>> labels_;
};

}  // namespace rt
