#include "runtime/icon.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace rt {

namespace {

[[noreturn]] void Malformed(const std::string& why) {
  throw std::invalid_argument("not a usable XPM image: " + why);
}

std::uint32_t ParseColour(const char* text) {
  if (std::strcmp(text, "None") == 0 || std::strcmp(text, "none") == 0) {
    return 0;
  }
  unsigned rgb = 0;
  int used = 0;
  if (std::sscanf(text, "#%6x%n", &rgb, &used) != 1 || used != 7 || text[used] != '\0') {
    Malformed(std::string("colour ") + text);
  }
  return 0xFF000000U | rgb;
}

}  // namespace

IconImage ParseXpm(std::span<const char* const> xpm) {
  if (xpm.empty()) {
    Malformed("no header");
  }
  int width = 0;
  int height = 0;
  int colours = 0;
  int chars_per_pixel = 0;
  if (std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colours, &chars_per_pixel) != 4 ||
      width <= 0 || height <= 0 || colours <= 0 || chars_per_pixel != 1 || colours > 256 ||
      xpm.size() != 1 + static_cast<std::size_t>(colours) + static_cast<std::size_t>(height)) {
    Malformed(std::string("header ") + xpm[0]);
  }
  std::array<std::uint32_t, 256> palette{};
  std::array<bool, 256> defined{};
  for (int i = 1; i <= colours; ++i) {
    const char* line = xpm[static_cast<std::size_t>(i)];
    if (std::strlen(line) < 5 || std::strncmp(line + 1, " c ", 3) != 0) {
      Malformed(std::string("colour line ") + line);
    }
    const auto key = static_cast<unsigned char>(line[0]);
    palette[key] = ParseColour(line + 4);
    defined[key] = true;
  }
  IconImage image{width, height, {}};
  image.argb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const char* row = xpm[1 + static_cast<std::size_t>(colours) + static_cast<std::size_t>(y)];
    if (std::strlen(row) != static_cast<std::size_t>(width)) {
      Malformed("row " + std::to_string(y) + " is not " + std::to_string(width) + " wide");
    }
    for (int x = 0; x < width; ++x) {
      const auto key = static_cast<unsigned char>(row[x]);
      if (!defined[key]) {
        Malformed("row " + std::to_string(y) + " uses an undefined colour");
      }
      image.argb.push_back(palette[key]);
    }
  }
  return image;
}

}  // namespace rt
