// Label: a line of text on a form that sizes itself to its caption.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/design.h"
#include "runtime/text.h"
#include "runtime/types.h"

namespace rt {

class Form;
class TextMeasurer;

class Label {
 public:
  // Positions beyond this many twips either way are refused; they could not be drawn anyway.
  static constexpr Twips kCoordinateLimit = 1.0e9F;
  // Longest caption, in 16-bit characters.
  static constexpr std::size_t kCaptionLimit = 65535;

  Label(Form& owner, const LabelDesign& design, TextMeasurer& measurer);
  Label(const Label&) = delete;
  Label& operator=(const Label&) = delete;

  const std::string& Name() const { return name_; }

  // Every property call below raises a run-time error naming the label and member when it
  // fails: a value that is not finite or out of range, or a label whose form is unloaded.
  const Text& Caption() const;
  // Changing the caption re-fits Width and Height to the text; Left and Top stay.
  void SetCaption(std::u16string_view caption);
  bool Visible() const;
  void SetVisible(bool visible);
  Twips Left() const;
  void SetLeft(Twips left);
  Twips Top() const;
  void SetTop(Twips top);
  Twips Width() const;
  Twips Height() const;

  Color ForeColor() const { return fore_color_; }
  int FontHandle() const { return font_; }

  // Where the label is drawn, in window pixels (the runtime's painter reads this).
  PixelRect PixelBounds() const;
  // Measures the caption afresh, after the text engine's scale changed (the runtime's side).
  void Refit();
  // Rises whenever anything that shows on screen changes.
  std::uint64_t Version() const { return version_; }

 private:
  void CheckLoaded(const char* member) const;
  Twips CheckedCoordinate(const char* member, Twips value) const;
  void Fit();
  void Changed();

  Form& owner_;
  TextMeasurer& measurer_;
  std::string name_;
  Text caption_;
  bool visible_;
  Color fore_color_;
  int font_;
  Twips left_;
  Twips top_;
  Twips width_;
  Twips height_;
  std::uint64_t version_ = 0;
};

}  // namespace rt
