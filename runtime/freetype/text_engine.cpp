// The FreeType text engine: its renderer (the FreeType library, pixman's glyph cache and a solid
// source per colour), its open fonts, and text measured and composited onto a surface as one
// run of glyphs. Each font's face and glyphs are in font.cpp.
#include "runtime/text_engine.h"

#include <cstdint>
#include <new>
#include <vector>

#include "runtime/backend.h"
#include "runtime/freetype/font.h"
#include "runtime/freetype/surface_native.h"
#include "runtime/text.h"

namespace rt {

struct TextEngine::Renderer {
  FT_Library library = nullptr;
  pixman_glyph_cache_t* cache = nullptr;
  std::vector<pixman_glyph_t> run;  // one caption's glyphs; keeps its capacity
  struct Solid {
    Color color;
    pixman_image_t* image = nullptr;
  };
  std::vector<Solid> solids;

  Renderer() {
    if (FT_Init_FreeType(&library) != 0) {
      throw PlatformError("cannot start the font renderer (FreeType)");
    }
    cache = pixman_glyph_cache_create();
    if (!cache) {
      FT_Done_FreeType(library);
      throw PlatformError("cannot start the font renderer: out of memory");
    }
  }
  ~Renderer() {
    for (const Solid& solid : solids) {
      pixman_image_unref(solid.image);
    }
    pixman_glyph_cache_destroy(cache);
    FT_Done_FreeType(library);
  }
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Glyphs rasterised at another scale are of no further use.
  void ForgetGlyphs() {
    pixman_glyph_cache_t* fresh = pixman_glyph_cache_create();
    if (!fresh) {
      throw std::bad_alloc();
    }
    pixman_glyph_cache_destroy(cache);
    cache = fresh;
  }

  // A solid source in `color`, made once per colour.
  pixman_image_t* SolidFor(Color color) {
    for (const Solid& solid : solids) {
      if (solid.color == color) {
        return solid.image;
      }
    }
    const pixman_color_t fill{static_cast<std::uint16_t>(color.red * 257),
                              static_cast<std::uint16_t>(color.green * 257),
                              static_cast<std::uint16_t>(color.blue * 257), 0xFFFF};
    pixman_image_t* image = pixman_image_create_solid_fill(&fill);
    if (!image) {
      throw std::bad_alloc();
    }
    solids.push_back({color, image});
    return image;
  }
};

TextEngine::TextEngine(float scale) : scale_(scale), renderer_(std::make_unique<Renderer>()) {}

TextEngine::~TextEngine() {
  fonts_.clear();  // faces go before the library that made them
}

int TextEngine::OpenFont(const FontDesign& design) {
  return fonts_.Find(design, [&] { return Font::Open(renderer_->library, design, scale_); });
}

void TextEngine::SetScale(float scale) {
  if (scale == scale_) {
    return;
  }
  scale_ = scale;
  renderer_->ForgetGlyphs();
  for (const auto& font : fonts_) {
    font->SetSize(scale);
  }
}

PixelSize TextEngine::Measure(int font_handle, std::u16string_view text) {
  Font& font = fonts_[font_handle];
  int width = 0;
  FT_UInt previous = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Font::Glyph& glyph = font.GlyphFor(NextCodePoint(text, i));
    width += font.Kerning(previous, glyph.index) + glyph.advance;
    previous = glyph.index;
  }
  return {width, font.height};
}

void TextEngine::Draw(Surface& target, int font_handle, std::u16string_view text, int x, int y,
                      Color color, const PixelRect& clip) {
  Font& font = fonts_[font_handle];
  const PixelRect area = Intersect(clip, target.Bounds());
  if (area.empty()) {
    return;
  }
  Renderer& renderer = *renderer_;
  const int baseline = y + font.ascent;
  pixman_glyph_cache_freeze(renderer.cache);
  renderer.run.clear();
  int pen = x;
  FT_UInt previous = 0;
  for (std::size_t i = 0; i < text.size() && pen < area.x + area.width;) {
    Font::Glyph& glyph = font.GlyphFor(NextCodePoint(text, i));
    pen += font.Kerning(previous, glyph.index);
    // Glyphs wholly left of the clip are skipped without being rasterised.
    if (pen + glyph.advance >= area.x) {
      if (const void* image = font.ImageOf(glyph, renderer.cache)) {
        renderer.run.push_back({pen, baseline, image});
      }
    }
    pen += glyph.advance;
    previous = glyph.index;
  }
  pixman_region32_t region;
  pixman_region32_init_rect(&region, area.x, area.y, static_cast<unsigned>(area.width),
                            static_cast<unsigned>(area.height));
  pixman_image_set_clip_region32(target.native().image, &region);
  // Glyph by glyph onto the target: unlike compositing through a mask, this allocates nothing.
  pixman_composite_glyphs_no_mask(PIXMAN_OP_OVER, renderer.SolidFor(color), target.native().image,
                                  0, 0, 0, 0, renderer.cache, static_cast<int>(renderer.run.size()),
                                  renderer.run.data());
  pixman_image_set_clip_region32(target.native().image, nullptr);
  pixman_region32_fini(&region);
  pixman_glyph_cache_thaw(renderer.cache);

  const int width = pen - x;
  if (font.design.underline) {
    target.Fill(Intersect({x, baseline + font.underline_offset, width, font.line_thickness}, area),
                color);
  }
  if (font.design.strikeout) {
    target.Fill(Intersect({x, baseline - font.ascent / 3, width, font.line_thickness}, area),
                color);
  }
}

}  // namespace rt
