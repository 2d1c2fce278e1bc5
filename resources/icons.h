// Tarvel's icon, one design in three images, each a generic window with a cyan title bar.
#pragma once

#include <span>

namespace resources {

// 32 x 32 in 16 colours: the window's icon.
std::span<const char* const> Icon32();
// 32 x 32 in black and white.
std::span<const char* const> Icon32Mono();
// 16 x 16 in 16 colours.
std::span<const char* const> Icon16();

}  // namespace resources
