// The browser's text as the text engine calls it (text.js): measured and drawn by a canvas.
#pragma once

#include <cstdint>

extern "C" {
// Whether the browser can make a 2D canvas at all.
int tarvel_text_start();
// The font's ascent and descent (`out[0]`, `out[1]`), in pixels, for a CSS font.
void tarvel_text_metrics(const char* css, double* out);
// The advance width of UTF-16 `text` in that font, in pixels.
double tarvel_text_width(const char* css, const char16_t* text, int length);
// Draws `text` with its baseline starting at (x, baseline), in 0xRRGGBB, onto XRGB `pixels`,
// only inside the given area.
void tarvel_text_draw(const char* css, const char16_t* text, int length, int x, int baseline,
                      std::uint32_t rgb, std::uint32_t* pixels, int stride, int left, int top,
                      int width, int height);
}
