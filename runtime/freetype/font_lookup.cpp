#include "runtime/freetype/font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <memory>

#include "runtime/backend.h"

namespace rt {

namespace {

struct ConfigFree {
  void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct PatternFree {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using ConfigPtr = std::unique_ptr<FcConfig, ConfigFree>;
using PatternPtr = std::unique_ptr<FcPattern, PatternFree>;

const FcChar8* AsFc(const std::string& text) {
  return reinterpret_cast<const FcChar8*>(text.c_str());
}

[[noreturn]] void NoFont(const FontDesign& design, const char* why) {
  throw PlatformError("no usable font: looked for \"" + design.family +
                      "\" (or any sans-serif face) through fontconfig: " + why);
}

}  // namespace

FontFile FindFontFile(const FontDesign& design) {
  // A private configuration, released when done, rather than fontconfig's process-wide one.
  const ConfigPtr config(FcInitLoadConfigAndFonts());
  if (!config) {
    NoFont(design, "its configuration could not be loaded");
  }
  const PatternPtr pattern(FcPatternCreate());
  if (!pattern) {
    NoFont(design, "out of memory");
  }
  FcPatternAddString(pattern.get(), FC_FAMILY, AsFc(design.family));
  // "Sans Serif" is no alias on every system; the generic family catches those.
  FcPatternAddString(pattern.get(), FC_FAMILY, AsFc("sans-serif"));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(design.weight));
  FcPatternAddInteger(pattern.get(), FC_SLANT, design.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  if (!FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern)) {
    NoFont(design, "out of memory");
  }
  FcDefaultSubstitute(pattern.get());

  FcResult result = FcResultNoMatch;
  const PatternPtr match(FcFontMatch(config.get(), pattern.get(), &result));
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) {
    NoFont(design, "no font is installed");
  }
  FontFile found;
  found.path = reinterpret_cast<const char*>(file);
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &found.index);
  FcChar8* family = nullptr;
  if (FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch && family) {
    found.family = reinterpret_cast<const char*>(family);
  }
  return found;
}

}  // namespace rt
