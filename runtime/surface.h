// A pixel buffer as something to draw on: solid fills and the target of text drawing.
//
// Half of the seam between the runtime and the platform's graphics (the text engine is the
// other half). Fills are plain memory everywhere; what the text is drawn with differs (on Linux
// FreeType's glyphs through pixman, on Windows the system's own GDI, in the browser a canvas).
// The runtime above it never knows which.
#pragma once

#include <memory>

#include "runtime/pixel_buffer.h"
#include "runtime/rect.h"
#include "runtime/types.h"

namespace rt {

class Surface {
 public:
  // Draws into `buffer`'s memory, which must outlive the surface. Throws std::invalid_argument
  // for a buffer that is not 32-bit pixels row by row.
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

  // What the graphics implementation keeps with the surface (pixman's image over the pixels,
  // say): for its text engine only.
  struct Native;
  Native& native() const { return *native_; }

 private:
  // `buffer`, once it is known to be one to draw on.
  static const PixelBuffer& Drawable(const PixelBuffer& buffer);

  PixelBuffer buffer_;
  std::unique_ptr<Native> native_;
};

}  // namespace rt
