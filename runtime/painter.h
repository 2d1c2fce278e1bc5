// Paints a form into its window's pixels, redrawing only what changed.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "runtime/pixel_buffer.h"
#include "runtime/types.h"

namespace rt {

class Form;
class Surface;
class TextEngine;

class Painter {
 public:
  explicit Painter(TextEngine& text);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  // Brings `target`, which holds the frame painted last, up to date with `form` and returns
  // the regions that changed. With `everything`, or when the target's size changed, the whole
  // of it is repainted.
  std::span<const PixelRect> Paint(const Form& form, const PixelBuffer& target, bool everything);

 private:
  struct Drawn {
    PixelRect rect;  // empty when the label was not shown
    std::uint64_t version = 0;
  };

  Surface& SurfaceFor(const PixelBuffer& buffer);
  void Repaint(const Form& form, Surface& target, const PixelRect& area);

  TextEngine& text_;
  PixelSize size_;
  std::vector<Drawn> drawn_;
  std::vector<PixelRect> damage_;
  // The few buffers a backend hands out in turn, each wrapped once.
  std::vector<std::unique_ptr<Surface>> surfaces_;
};

}  // namespace rt
