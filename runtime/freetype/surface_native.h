// What a surface keeps for the FreeType text engine: pixman's image over its pixels, which
// glyphs are composited onto.
#pragma once

#include <pixman.h>

#include "runtime/surface.h"

namespace rt {

struct Surface::Native {
  pixman_image_t* image = nullptr;
};

}  // namespace rt
