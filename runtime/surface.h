// A pixel buffer as something to draw on: solid fills and the target of text drawing.
#pragma once

#include "runtime/pixel_buffer.h"
#include "runtime/types.h"

union pixman_image;

namespace rt {

class Surface {
 public:
  // Draws into `buffer`'s memory, which must outlive the surface.
  explicit Surface(const PixelBuffer& buffer);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  const PixelBuffer& Buffer() const { return buffer_; }
  PixelRect Bounds() const { return {0, 0, buffer_.width, buffer_.height}; }
  // Whether this surface draws into exactly `buffer`.
  bool Wraps(const PixelBuffer& buffer) const;

  // Fills `rect` (cut to the surface) with `color`.
  void Fill(const PixelRect& rect, Color color);

  // For the text engine: the pixman image over the buffer.
  pixman_image* Image() const { return image_; }

 private:
  PixelBuffer buffer_;
  pixman_image* image_ = nullptr;
};

// The overlap of two rectangles (empty when they do not meet).
PixelRect Intersect(const PixelRect& a, const PixelRect& b);
// The smallest rectangle holding both.
PixelRect Union(const PixelRect& a, const PixelRect& b);

}  // namespace rt
