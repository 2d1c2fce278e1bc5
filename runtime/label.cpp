#include "runtime/label.h"

#include <cmath>

#include "runtime/form.h"
#include "runtime/run_time_error.h"
#include "runtime/text_measurer.h"

namespace rt {

Label::Label(Form& owner, const LabelDesign& design, TextMeasurer& measurer)
    : owner_(owner),
      measurer_(measurer),
      name_(design.name),
      caption_(design.caption),
      visible_(design.visible),
      fore_color_(design.fore_color),
      font_(measurer.OpenFont(design.font)),
      left_(design.left),
      top_(design.top),
      width_(design.width),
      height_(design.height) {}

void Label::CheckLoaded(const char* member) const {
  if (!owner_.IsLoaded()) {
    RaisePropertyError(name_, member, "the form is unloaded");
  }
}

Twips Label::CheckedCoordinate(const char* member, Twips value) const {
  CheckLoaded(member);
  if (!std::isfinite(value)) {
    RaisePropertyError(name_, member, "invalid value");
  }
  if (std::fabs(value) > kCoordinateLimit) {
    RaisePropertyError(name_, member, "value out of range");
  }
  return value;
}

const Text& Label::Caption() const {
  CheckLoaded("Caption");
  return caption_;
}

void Label::SetCaption(std::u16string_view caption) {
  CheckLoaded("Caption");
  if (caption.size() > kCaptionLimit) {
    RaisePropertyError(name_, "Caption", "text too long");
  }
  if (caption == caption_) {
    return;
  }
  // assign() reuses the caption's storage once it is large enough.
  caption_.assign(caption);
  Fit();
  Changed();
}

bool Label::Visible() const {
  CheckLoaded("Visible");
  return visible_;
}

void Label::SetVisible(bool visible) {
  CheckLoaded("Visible");
  if (visible != visible_) {
    visible_ = visible;
    Changed();
  }
}

Twips Label::Left() const {
  CheckLoaded("Left");
  return left_;
}

void Label::SetLeft(Twips left) {
  if (CheckedCoordinate("Left", left) != left_) {
    left_ = left;
    Changed();
  }
}

Twips Label::Top() const {
  CheckLoaded("Top");
  return top_;
}

void Label::SetTop(Twips top) {
  if (CheckedCoordinate("Top", top) != top_) {
    top_ = top;
    Changed();
  }
}

Twips Label::Width() const {
  CheckLoaded("Width");
  return width_;
}

Twips Label::Height() const {
  CheckLoaded("Height");
  return height_;
}

void Label::Fit() {
  const PixelSize extent = measurer_.Measure(font_, caption_);
  const Twips per_pixel = owner_.TwipsPerPixel();
  width_ = static_cast<Twips>(extent.width) * per_pixel;
  height_ = static_cast<Twips>(extent.height) * per_pixel;
}

void Label::Refit() {
  Fit();
  Changed();
}

void Label::Changed() {
  ++version_;
  owner_.Invalidate();
}

PixelRect Label::PixelBounds() const {
  const Twips per_pixel = owner_.TwipsPerPixel();
  return {static_cast<int>(std::lround(left_ / per_pixel)),
          static_cast<int>(std::lround(top_ / per_pixel)),
          static_cast<int>(std::lround(width_ / per_pixel)),
          static_cast<int>(std::lround(height_ / per_pixel))};
}

}  // namespace rt
