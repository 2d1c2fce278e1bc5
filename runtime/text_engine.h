// Measures and draws text: FreeType glyphs, found through fontconfig, composited by pixman.
//
// Text is laid out glyph by glyph (advance plus kerning), the same way for measuring and for
// drawing, so a label's size always matches what is drawn. Each glyph is rasterised once,
// antialiased, into pixman's glyph cache, and a caption is composited as one run of glyphs;
// in steady state drawing a caption rasterises and allocates nothing.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text_measurer.h"

namespace rt {

class Surface;

class TextEngine final : public TextMeasurer {
 public:
  // `scale` enlarges every font, for displays denser than 96 DPI. Throws PlatformError when
  // the font renderer cannot start.
  explicit TextEngine(float scale = 1.0F);
  ~TextEngine() override;
  TextEngine(const TextEngine&) = delete;
  TextEngine& operator=(const TextEngine&) = delete;

  // Throws PlatformError when no font file can be found or opened.
  int OpenFont(const FontDesign& design) override;
  PixelSize Measure(int font, std::u16string_view text) override;

  // Draws `text` with its line's top-left corner at (x, y), blended onto `target` in `color`,
  // nothing of it outside `clip`.
  void Draw(Surface& target, int font, std::u16string_view text, int x, int y, Color color,
            const PixelRect& clip);

  // Lays every open font out afresh for a new scale; font handles stay valid.
  void SetScale(float scale);
  float Scale() const { return scale_; }

  // The file behind a font handle, for diagnostics and tests.
  const std::string& FontPath(int font) const;

 private:
  struct Renderer;
  struct Font;

  Font& FontAt(int font) const;

  float scale_;
  std::unique_ptr<Renderer> renderer_;
  std::vector<std::unique_ptr<Font>> fonts_;
};

}  // namespace rt
