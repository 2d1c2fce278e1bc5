// Paints a form into its window's pixels, redrawing only what changed.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "runtime/types.h"

struct SDL_Surface;

namespace rt {

class Form;
class TextEngine;

class Painter {
 public:
  explicit Painter(TextEngine& text) : text_(text) {}

  // Brings `target` up to date with `form` and returns the regions that changed. With
  // `everything`, or when the target's size changed, the whole surface is repainted.
  std::span<const PixelRect> Paint(const Form& form, SDL_Surface* target, bool everything);

 private:
  struct Drawn {
    PixelRect rect;  // empty when the label was not shown
    std::uint64_t version = 0;
  };

  void Repaint(const Form& form, SDL_Surface* target, const PixelRect& area);

  TextEngine& text_;
  PixelSize size_;
  std::vector<Drawn> drawn_;
  std::vector<PixelRect> damage_;
};

}  // namespace rt
