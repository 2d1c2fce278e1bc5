// What a label needs to size itself: fonts and the pixel extent of a text.
#pragma once

#include <string_view>

#include "runtime/design.h"
#include "runtime/types.h"

namespace rt {

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Opens (or finds already open) the font for `design`; returns a handle for Measure.
  virtual int OpenFont(const FontDesign& design) = 0;
  // Width and height of `text` in pixels, laid out in `font`.
  virtual PixelSize Measure(int font, std::u16string_view text) = 0;
};

}  // namespace rt
