// Opening a font for the FreeType text engine, sizing it, and rasterising its glyphs.
#include "runtime/freetype/font.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "runtime/backend.h"

namespace rt {

namespace {

// FreeType's 26.6 fixed point, rounded up to whole pixels.
int CeilPixels(FT_Pos value) {
  return static_cast<int>((value + 63) >> 6);
}

}  // namespace

std::unique_ptr<TextEngine::Font> TextEngine::Font::Open(FT_Library library,
                                                         const FontDesign& design, float scale) {
  auto font = std::make_unique<Font>();
  font->design = design;
  font->file = FindFontFile(design);
  if (const FT_Error error =
          FT_New_Face(library, font->file.path.c_str(), font->file.index, &font->face)) {
    font->face = nullptr;
    throw PlatformError("no usable font: cannot open " + font->file.path + " for \"" +
                        design.family + "\" (FreeType error " + std::to_string(error) + ")");
  }
  font->SetSize(scale);
  return font;
}

TextEngine::Font::~Font() {
  if (face) {
    FT_Done_Face(face);
  }
}

void TextEngine::Font::SetSize(float scale) {
  // Points are 1/72 inch; at 96 DPI that is 4/3 pixel each.
  const auto pixels = static_cast<FT_UInt>(std::lround(design.points * 96.0F / 72.0F * scale));
  if (FT_Set_Pixel_Sizes(face, 0, pixels) != 0 &&
      (face->num_fixed_sizes == 0 || FT_Select_Size(face, 0) != 0)) {
    throw PlatformError("no usable font: " + file.path + " has no size " + std::to_string(pixels) +
                        " px");
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

const void* TextEngine::Font::ImageOf(Glyph& glyph, pixman_glyph_cache_t* cache) {
  if (glyph.blank) {
    return nullptr;
  }
  if (const void* image = pixman_glyph_cache_lookup(cache, this, &glyph)) {
    return image;
  }
  constexpr FT_Int32 kRendered = FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL | FT_LOAD_RENDER;
  if (FT_Load_Glyph(face, glyph.index, kRendered) != 0) {
    glyph.blank = true;
    return nullptr;
  }
  const FT_GlyphSlotRec& slot = *face->glyph;
  const FT_Bitmap& bitmap = slot.bitmap;
  const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
  if (bitmap.width == 0 || bitmap.rows == 0 || (!gray && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)) {
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

}  // namespace rt
