// The fonts a text engine has open: numbered in the order they were opened, one for each
// design, so asking for a design again gives back the number it got the first time.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "runtime/design.h"

namespace rt {

// `Font` is the engine's own, with the `design` it was opened for.
template <class Font>
class FontList {
 public:
  // The number of the font open for `design`; the first time, of the one `open()` makes.
  template <class Open>
  int Find(const FontDesign& design, Open open) {
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
      if (fonts_[i]->design == design) {
        return static_cast<int>(i);
      }
    }
    fonts_.push_back(open());
    return static_cast<int>(fonts_.size() - 1);
  }
  // The font of that number; throws std::out_of_range for one never opened.
  Font& operator[](int font) const { return *fonts_.at(static_cast<std::size_t>(font)); }

  auto begin() const { return fonts_.begin(); }
  auto end() const { return fonts_.end(); }
  void clear() { fonts_.clear(); }

 private:
  std::vector<std::unique_ptr<Font>> fonts_;
};

}  // namespace rt
