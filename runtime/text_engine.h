// Measures and draws text with SDL_ttf, keeping every rasterised glyph for reuse.
//
// Text is laid out glyph by glyph (advance plus kerning), the same way for measuring and for
// drawing, so a label's size always matches what is drawn. Glyph images are rendered once per
// code point and colour, antialiased, and blended onto the target afterwards; in steady state
// drawing a caption rasterises nothing.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "runtime/text_measurer.h"

struct SDL_Surface;

namespace rt {

class TextEngine final : public TextMeasurer {
 public:
  // `scale` enlarges every font, for displays denser than 96 DPI.
  explicit TextEngine(float scale = 1.0F);
  ~TextEngine() override;
  TextEngine(const TextEngine&) = delete;
  TextEngine& operator=(const TextEngine&) = delete;

  int OpenFont(const FontDesign& design) override;
  PixelSize Measure(int font, std::u16string_view text) override;

  // Draws `text` with its top-left corner at (x, y), blended onto `target` within its clip.
  void Draw(SDL_Surface* target, int font, std::u16string_view text, int x, int y, Color color);

  // The file behind a font handle, for diagnostics and tests.
  const std::string& FontPath(int font) const;

 private:
  struct Font;
  float scale_;
  std::vector<std::unique_ptr<Font>> fonts_;
};

}  // namespace rt
