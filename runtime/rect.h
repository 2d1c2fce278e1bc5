// Arithmetic on pixel rectangles.
#pragma once

#include "runtime/types.h"

namespace rt {

// The overlap of two rectangles (empty when they do not meet).
PixelRect Intersect(const PixelRect& a, const PixelRect& b);
// The smallest rectangle holding both.
PixelRect Union(const PixelRect& a, const PixelRect& b);

}  // namespace rt
