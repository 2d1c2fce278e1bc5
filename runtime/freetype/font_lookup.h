// Finding a font file for a family name, through fontconfig.
#pragma once

#include <string>

#include "runtime/design.h"

namespace rt {

struct FontFile {
  std::string path;
  int index = 0;       // face within the file
  std::string family;  // the family fontconfig settled on
};

// The best installed match for `design` (family, weight, slant). Families the system lacks
// resolve to its default sans-serif face. Throws PlatformError when no font file can be found.
FontFile FindFontFile(const FontDesign& design);

}  // namespace rt
