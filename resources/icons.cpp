#include "resources/icons.h"

namespace resources {

namespace {
// The XPM files are C source: the pixels live in one place, in a form anyone can read.
#include "resources/icons/tarvel-16.xpm"
#include "resources/icons/tarvel-32-mono.xpm"
#include "resources/icons/tarvel-32.xpm"
}  // namespace

std::span<const char* const> Icon32() {
  return tarvel_32_xpm;
}
std::span<const char* const> Icon32Mono() {
  return tarvel_32_mono_xpm;
}
std::span<const char* const> Icon16() {
  return tarvel_16_xpm;
}

}  // namespace resources
