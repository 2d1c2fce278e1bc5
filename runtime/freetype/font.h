// One font the FreeType text engine has open: its face, found through fontconfig and sized for
// the engine's scale, its line metrics, and its glyphs' advances, kerning and images (each
// rasterised once, into pixman's glyph cache).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include <pixman.h>

#include <memory>
#include <unordered_map>

#include "runtime/design.h"
#include "runtime/freetype/font_lookup.h"
#include "runtime/text_engine.h"

namespace rt {

struct TextEngine::Font {
  struct Glyph {
    FT_UInt index = 0;
    int advance = 0;
    bool blank = false;  // rasterised to nothing (a space): never looked up again
  };

  FontDesign design;
  FontFile file;
  FT_Face face = nullptr;
  int ascent = 0;
  int height = 0;
  int underline_offset = 0;  // below the baseline
  int line_thickness = 1;
  std::unordered_map<char32_t, Glyph> glyphs;

  // The installed font that best matches `design`, opened with `library` and sized for `scale`.
  // Throws PlatformError when there is no usable one.
  static std::unique_ptr<Font> Open(FT_Library library, const FontDesign& design, float scale);

  Font() = default;
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Sizes the face for `scale` and works its line metrics out afresh; its glyphs are forgotten.
  void SetSize(float scale);

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
  const void* ImageOf(Glyph& glyph, pixman_glyph_cache_t* cache);
};

}  // namespace rt
