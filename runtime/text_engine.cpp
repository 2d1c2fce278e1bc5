#include "runtime/text_engine.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "runtime/backend.h"
#include "runtime/font_lookup.h"
#include "runtime/text.h"

namespace rt {

namespace {

struct SurfaceFree {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
struct FontClose {
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};

struct GlyphMetrics {
  int advance = 0;
  int left = 0;  // how far the glyph's image starts left of the pen, when it does (<= 0)
};

std::uint64_t ImageKey(char32_t code_point, Color color) {
  return (std::uint64_t{code_point} << 24) | (std::uint64_t{color.red} << 16) |
         (std::uint64_t{color.green} << 8) | color.blue;
}

}  // namespace

struct TextEngine::Font {
  FontDesign design;
  FontFile file;
  std::unique_ptr<TTF_Font, FontClose> ttf;
  int height = 0;
  std::unordered_map<char32_t, GlyphMetrics> metrics;
  std::unordered_map<std::uint64_t, std::unique_ptr<SDL_Surface, SurfaceFree>> images;

  const GlyphMetrics& Metrics(char32_t code_point) {
    auto found = metrics.find(code_point);
    if (found != metrics.end()) {
      return found->second;
    }
    GlyphMetrics glyph;
    int min_x = 0;
    int max_x = 0;
    int min_y = 0;
    int max_y = 0;
    if (TTF_GlyphMetrics32(ttf.get(), code_point, &min_x, &max_x, &min_y, &max_y, &glyph.advance) ==
        0) {
      glyph.left = min_x < 0 ? min_x : 0;
    }
    return metrics.emplace(code_point, glyph).first->second;
  }

  SDL_Surface* Image(char32_t code_point, Color color) {
    const std::uint64_t key = ImageKey(code_point, color);
    auto found = images.find(key);
    if (found != images.end()) {
      return found->second.get();
    }
    // Blanks and glyphs the font cannot render have no image; they still advance the pen.
    SDL_Surface* image = nullptr;
    if (code_point != U' ') {
      image = TTF_RenderGlyph32_Blended(ttf.get(), code_point,
                                        {color.red, color.green, color.blue, 255});
      if (image) {
        SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_BLEND);
      }
    }
    return images.emplace(key, image).first->second.get();
  }

  int Kerning(char32_t previous, char32_t code_point) const {
    if (previous == 0) {
      return 0;
    }
    return TTF_GetFontKerningSizeGlyphs32(ttf.get(), previous, code_point);
  }
};

TextEngine::TextEngine(float scale) : scale_(scale) {
  if (TTF_Init() != 0) {
    throw PlatformError(std::string("cannot start the font renderer: ") + TTF_GetError());
  }
}

TextEngine::~TextEngine() {
  fonts_.clear();
  TTF_Quit();
}

int TextEngine::OpenFont(const FontDesign& design) {
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    const FontDesign& open = fonts_[i]->design;
    if (open.family == design.family && open.points == design.points &&
        open.weight == design.weight && open.italic == design.italic &&
        open.underline == design.underline && open.strikeout == design.strikeout) {
      return static_cast<int>(i);
    }
  }
  auto font = std::make_unique<Font>();
  font->design = design;
  font->file = FindFontFile(design);
  // Points are 1/72 inch; at 96 DPI that is 4/3 pixel each.
  const int pixels = static_cast<int>(std::lround(design.points * 96.0F / 72.0F * scale_));
  font->ttf.reset(TTF_OpenFontIndex(font->file.path.c_str(), pixels, font->file.index));
  if (!font->ttf) {
    throw PlatformError("no usable font: cannot open " + font->file.path + " for \"" +
                        design.family + "\": " + TTF_GetError());
  }
  int style = TTF_STYLE_NORMAL;
  if (design.underline) {
    style |= TTF_STYLE_UNDERLINE;
  }
  if (design.strikeout) {
    style |= TTF_STYLE_STRIKETHROUGH;
  }
  TTF_SetFontStyle(font->ttf.get(), style);
  font->height = TTF_FontHeight(font->ttf.get());
  fonts_.push_back(std::move(font));
  return static_cast<int>(fonts_.size() - 1);
}

const std::string& TextEngine::FontPath(int font) const {
  return fonts_.at(font)->file.path;
}

PixelSize TextEngine::Measure(int font_handle, std::u16string_view text) {
  Font& font = *fonts_.at(font_handle);
  int width = 0;
  char32_t previous = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t code_point = NextCodePoint(text, i);
    width += font.Kerning(previous, code_point) + font.Metrics(code_point).advance;
    previous = code_point;
  }
  return {width, font.height};
}

void TextEngine::Draw(SDL_Surface* target, int font_handle, std::u16string_view text, int x, int y,
                      Color color) {
  Font& font = *fonts_.at(font_handle);
  SDL_Rect clip;
  SDL_GetClipRect(target, &clip);
  int pen = x;
  char32_t previous = 0;
  for (std::size_t i = 0; i < text.size() && pen < clip.x + clip.w;) {
    const char32_t code_point = NextCodePoint(text, i);
    pen += font.Kerning(previous, code_point);
    const GlyphMetrics& metrics = font.Metrics(code_point);
    // Glyphs wholly left of the clip are skipped without being rasterised.
    if (pen + metrics.advance >= clip.x) {
      if (SDL_Surface* image = font.Image(code_point, color)) {
        SDL_Rect where{pen + metrics.left, y, image->w, image->h};
        SDL_BlitSurface(image, nullptr, target, &where);
      }
    }
    pen += metrics.advance;
    previous = code_point;
  }
}

}  // namespace rt
