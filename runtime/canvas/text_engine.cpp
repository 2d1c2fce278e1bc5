// The text engine in the browser: the page's own text, as on Windows it is the system's.
//
// A font is a CSS font: the design's "Sans Serif" (and any family the browser may lack) falls
// back to the browser's `sans-serif`, at the design's points (96 pixels an inch, times the
// scale). A canvas both measures (measureText, with the font's ascent and descent for the
// height) and draws it (text.js), so a label fits what is drawn.
#include <algorithm>
#include <cmath>
#include <string>

#include "runtime/backend.h"
#include "runtime/canvas/text_js.h"
#include "runtime/pixel_buffer.h"
#include "runtime/surface.h"
#include "runtime/text_engine.h"

namespace rt {

struct TextEngine::Renderer {};

struct TextEngine::Font {
  FontDesign design;
  std::string css;
  int ascent = 0;
  int height = 0;
  int line = 1;  // thickness of an underline or strikeout

  void SetSize(float scale) {
    const float pixels = design.points * 96.0F / 72.0F * scale;
    css.clear();
    if (design.italic) {
      css += "italic ";
    }
    css += std::to_string(design.weight) + " " + std::to_string(pixels) + "px ";
    if (design.family != "Sans Serif" && !design.family.empty() &&
        design.family.find_first_of("\"\\;{}") == std::string::npos) {
      css += "\"" + design.family + "\", ";
    }
    css += "sans-serif";
    double metrics[2] = {};
    tarvel_text_metrics(css.c_str(), metrics);
    if (!std::isfinite(metrics[0]) || !std::isfinite(metrics[1]) || metrics[0] <= 0) {
      throw PlatformError("no usable font: the browser measured none for \"" + design.family +
                          "\"");
    }
    ascent = static_cast<int>(std::ceil(metrics[0]));
    height = ascent + static_cast<int>(std::ceil(metrics[1]));
    line = std::max(1, static_cast<int>(std::lround(pixels / 14.0F)));
  }
};

TextEngine::TextEngine(float scale) : scale_(scale), renderer_(std::make_unique<Renderer>()) {
  if (tarvel_text_start() == 0) {
    throw PlatformError("this browser gives no 2D canvas to draw on");
  }
}

TextEngine::~TextEngine() = default;

int TextEngine::OpenFont(const FontDesign& design) {
  return fonts_.Find(design, [&] {
    auto font = std::make_unique<Font>();
    font->design = design;
    font->SetSize(scale_);
    return font;
  });
}

void TextEngine::SetScale(float scale) {
  if (scale == scale_) {
    return;
  }
  scale_ = scale;
  for (const auto& font : fonts_) {
    font->SetSize(scale);
  }
}

PixelSize TextEngine::Measure(int font_handle, std::u16string_view text) {
  const Font& font = fonts_[font_handle];
  if (text.empty()) {
    return {0, font.height};
  }
  const double width =
      tarvel_text_width(font.css.c_str(), text.data(), static_cast<int>(text.size()));
  return {static_cast<int>(std::ceil(width)), font.height};
}

void TextEngine::Draw(Surface& target, int font_handle, std::u16string_view text, int x, int y,
                      Color color, const PixelRect& clip) {
  const Font& font = fonts_[font_handle];
  const PixelRect area = Intersect(clip, target.Bounds());
  if (area.empty() || text.empty()) {
    return;
  }
  const std::uint32_t rgb = Xrgb(color);
  const PixelBuffer& pixels = target.Buffer();
  const int baseline = y + font.ascent;
  tarvel_text_draw(font.css.c_str(), text.data(), static_cast<int>(text.size()), x, baseline, rgb,
                   pixels.pixels, pixels.stride, area.x, area.y, area.width, area.height);
  if (font.design.underline || font.design.strikeout) {
    const int width = Measure(font_handle, text).width;
    if (font.design.underline) {
      target.Fill(Intersect({x, baseline + font.line, width, font.line}, area), color);
    }
    if (font.design.strikeout) {
      target.Fill(Intersect({x, baseline - font.ascent / 3, width, font.line}, area), color);
    }
  }
}

}  // namespace rt
