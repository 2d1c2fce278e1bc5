// Measures and draws text: the other half of the seam to the platform's graphics (with
// Surface).
//
// One engine both measures and draws, laying text out the same way for each, so a label's size
// always matches what is drawn. On Linux: fonts found through fontconfig, each glyph rasterised
// once by FreeType into pixman's glyph cache, and a caption composited as one run of glyphs
// (freetype/). On Windows: the system's own GDI, with the face the system uses for its
// messages (gdi/). In the browser: a canvas of the page's, in its own sans-serif (canvas/).
// In steady state drawing a caption allocates nothing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "runtime/font_list.h"
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

  // Throws PlatformError when no usable font can be found.
  int OpenFont(const FontDesign& design) override;
  PixelSize Measure(int font, std::u16string_view text) override;

  // Draws `text` with its line's top-left corner at (x, y), blended onto `target` in `color`,
  // nothing of it outside `clip`.
  void Draw(Surface& target, int font, std::u16string_view text, int x, int y, Color color,
            const PixelRect& clip);

  // Lays every open font out afresh for a new scale, and (on Windows) in the message face the
  // user now has where it stands in for a missing one; font handles stay valid.
  void SetScale(float scale);
  float Scale() const { return scale_; }

 private:
  // The implementation's own state: its renderer and its open fonts.
  struct Renderer;
  struct Font;

  float scale_;
  std::unique_ptr<Renderer> renderer_;
  FontList<Font> fonts_;
};

}  // namespace rt
