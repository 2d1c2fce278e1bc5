#include "runtime/text_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>

#include "runtime/backend.h"
#include "runtime/freetype/font_lookup.h"
#include "runtime/freetype/surface_native.h"
#include "runtime/text.h"

namespace rt {

namespace {

// FreeType's 26.6 fixed point, rounded up to whole pixels.
int CeilPixels(FT_Pos value) {
  return static_cast<int>((value + 63) >> 6);
}

struct Glyph {
  FT_UInt index = 0;
  int advance = 0;
  bool blank = false;  // rasterised to nothing (a space): never looked up again
};

}  // namespace

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

struct TextEngine::Font {
  FontDesign design;
  FontFile file;
  FT_Face face = nullptr;
  int ascent = 0;
  int height = 0;
  int underline_offset = 0;  // below the baseline
  int line_thickness = 1;
  std::unordered_map<char32_t, Glyph> glyphs;

  Font() = default;
  ~Font() {
    if (face) {
      FT_Done_Face(face);
    }
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  void SetSize(float scale) {
    // Points are 1/72 inch; at 96 DPI that is 4/3 pixel each.
    const auto pixels = static_cast<FT_UInt>(std::lround(design.points * 96.0F / 72.0F * scale));
    if (FT_Set_Pixel_Sizes(face, 0, pixels) != 0 &&
        (face->num_fixed_sizes == 0 || FT_Select_Size(face, 0) != 0)) {
      throw PlatformError("no usable font: " + file.path + " has no size " +
                          std::to_string(pixels) + " px");
    }
    glyphs.clear();
    if (FT_IS_SCALABLE(face)) {
      const FT_Fixed y_scale = face->size->metrics.y_scale;
      ascent = CeilPixels(FT_MulFix(face->ascender, y_scale));
      height = CeilPixels(FT_MulFix(face->ascender - face->descender, y_scale));
      underline_offset = CeilPixels(FT_MulFix(-face->underline_position, y_scale));
      line_thickness = std::max(1, CeilPixels(FT_MulFix(face->underline_thickness, y_scale)));
    } else {
      ascent = CeilPixels(face->size->metrics.ascender);
      height = CeilPixels(face->size->metrics.height);
      underline_offset = 1;
      line_thickness = 1;
    }
  }

  Glyph& GlyphFor(char32_t code_point) {
    auto found = glyphs.find(code_point);
    if (found != glyphs.end()) {
      return found->second;
    }
    Glyph glyph;
    glyph.index = FT_Get_Char_Index(face, code_point);
    if (FT_Load_Glyph(face, glyph.index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) == 0) {
      glyph.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    }
    return glyphs.emplace(code_point, glyph).first->second;
  }

  int Kerning(FT_UInt previous, FT_UInt index) const {
    FT_Vector delta{};
    if (previous == 0 || !FT_HAS_KERNING(face) ||
        FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &delta) != 0) {
      return 0;
    }
    return static_cast<int>(delta.x >> 6);
  }

  // The glyph's image in `cache`, rasterised on first use; null for a blank glyph. The cache
  // knows it by this font and the glyph's own entry, which stays put until the size changes
  // (and the cache is replaced with it).
  const void* ImageOf(Glyph& glyph, pixman_glyph_cache_t* cache) {
    if (glyph.blank) {
      return nullptr;
    }
    if (const void* image = pixman_glyph_cache_lookup(cache, this, &glyph)) {
      return image;
    }
    if (FT_Load_Glyph(face, glyph.index,
                      FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL | FT_LOAD_RENDER) != 0) {
      glyph.blank = true;
      return nullptr;
    }
    const FT_GlyphSlotRec& slot = *face->glyph;
    const FT_Bitmap& bitmap = slot.bitmap;
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    if (bitmap.width == 0 || bitmap.rows == 0 ||
        (!gray && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)) {
      glyph.blank = true;
      return nullptr;
    }
    const auto width = static_cast<int>(bitmap.width);
    const auto rows = static_cast<int>(bitmap.rows);
    pixman_image_t* mask = pixman_image_create_bits(PIXMAN_a8, width, rows, nullptr, 0);
    if (!mask) {
      throw std::bad_alloc();
    }
    auto* bits = reinterpret_cast<std::uint8_t*>(pixman_image_get_data(mask));
    const int stride = pixman_image_get_stride(mask);
    for (int y = 0; y < rows; ++y) {
      const std::uint8_t* from = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
      std::uint8_t* to = bits + static_cast<std::ptrdiff_t>(y) * stride;
      if (gray) {
        std::memcpy(to, from, static_cast<std::size_t>(width));
      } else {
        for (int x = 0; x < width; ++x) {
          to[x] = (from[x / 8] & (0x80 >> (x % 8))) ? 0xFF : 0;
        }
      }
    }
    // The cache keeps a copy whose origin is the pen position on the baseline.
    const void* image =
        pixman_glyph_cache_insert(cache, this, &glyph, -slot.bitmap_left, slot.bitmap_top, mask);
    pixman_image_unref(mask);
    if (!image) {
      throw std::bad_alloc();
    }
    return image;
  }
};

TextEngine::TextEngine(float scale) : scale_(scale), renderer_(std::make_unique<Renderer>()) {}

TextEngine::~TextEngine() {
  fonts_.clear();  // faces go before the library that made them
}

TextEngine::Font& TextEngine::FontAt(int font) const {
  return *fonts_.at(static_cast<std::size_t>(font));
}

int TextEngine::OpenFont(const FontDesign& design) {
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    if (fonts_[i]->design == design) {
      return static_cast<int>(i);
    }
  }
  auto font = std::make_unique<Font>();
  font->design = design;
  font->file = FindFontFile(design);
  if (const FT_Error error =
          FT_New_Face(renderer_->library, font->file.path.c_str(), font->file.index, &font->face)) {
    font->face = nullptr;
    throw PlatformError("no usable font: cannot open " + font->file.path + " for \"" +
                        design.family + "\" (FreeType error " + std::to_string(error) + ")");
  }
  font->SetSize(scale_);
  fonts_.push_back(std::move(font));
  return static_cast<int>(fonts_.size() - 1);
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
  Font& font = FontAt(font_handle);
  int width = 0;
  FT_UInt previous = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Glyph& glyph = font.GlyphFor(NextCodePoint(text, i));
    width += font.Kerning(previous, glyph.index) + glyph.advance;
    previous = glyph.index;
  }
  return {width, font.height};
}

void TextEngine::Draw(Surface& target, int font_handle, std::u16string_view text, int x, int y,
                      Color color, const PixelRect& clip) {
  Font& font = FontAt(font_handle);
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
    Glyph& glyph = font.GlyphFor(NextCodePoint(text, i));
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
