// Writes the icon's three images as a Windows .ico, for the executable's resources: 32 x 32 in
// black and white, 32 x 32 and 16 x 16 in 16 colours, each with its transparency mask. The
// pixels come from the same XPM sources as the window's icon and the Linux PNGs, and nothing
// outside the project is needed to convert them.
//
//   tarvel_icon_ico OUTPUT.ico
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/icons.h"
#include "runtime/icon.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Bytes in one row of a bitmap `width` pixels wide at `bits` per pixel: rows are padded to
// whole 32-bit words.
std::size_t RowBytes(int width, int bits) {
  return static_cast<std::size_t>((width * bits + 31) / 32) * 4;
}

struct Image {
  int width = 0;
  int height = 0;
  int bits = 0;
  Bytes data;  // the bitmap header, the palette, the colour rows and the mask rows
};

// One image as an icon holds it: a bitmap of palette indices at `bits` per pixel, twice as
// high as the image in its header because the transparency mask follows it, bottom row first
// as bitmaps are.
Image Encode(const rt::IconImage& icon, int bits) {
  const int colours = 1 << bits;
  std::vector<std::uint32_t> palette;
  std::vector<int> index(icon.argb.size(), 0);
  for (std::size_t i = 0; i < icon.argb.size(); ++i) {
    if ((icon.argb[i] >> 24) == 0) {
      continue;  // transparent: colour 0 under a set mask bit
    }
    const std::uint32_t rgb = icon.argb[i] & 0xFFFFFF;
    std::size_t at = 0;
    while (at < palette.size() && palette[at] != rgb) {
      ++at;
    }
    if (at == palette.size()) {
      if (static_cast<int>(palette.size()) == colours) {
        throw std::runtime_error("more than " + std::to_string(colours) + " colours in a " +
                                 std::to_string(icon.width) + " x " + std::to_string(icon.height) +
                                 " image");
      }
      palette.push_back(rgb);
    }
    index[i] = static_cast<int>(at);
  }
  const auto at = [&icon](int x, int y) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(icon.width) +
           static_cast<std::size_t>(x);
  };
  const std::size_t colour_row = RowBytes(icon.width, bits);
  const std::size_t mask_row = RowBytes(icon.width, 1);
  const auto rows = static_cast<std::size_t>(icon.height);

  Image image{icon.width, icon.height, bits, {}};
  Bytes& out = image.data;
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, static_cast<std::uint32_t>(icon.width));
  Put32(out, static_cast<std::uint32_t>(icon.height * 2));
  Put16(out, 1);  // planes
  Put16(out, static_cast<std::uint32_t>(bits));
  Put32(out, 0);  // no compression
  Put32(out, static_cast<std::uint32_t>((colour_row + mask_row) * rows));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(colours));
  Put32(out, 0);
  for (int i = 0; i < colours; ++i) {
    const std::uint32_t rgb = i < static_cast<int>(palette.size()) ? palette[i] : 0;
    out.push_back(static_cast<std::uint8_t>(rgb));        // blue
    out.push_back(static_cast<std::uint8_t>(rgb >> 8));   // green
    out.push_back(static_cast<std::uint8_t>(rgb >> 16));  // red
    out.push_back(0);
  }
  for (int y = icon.height - 1; y >= 0; --y) {
    Bytes row(colour_row, 0);
    for (int x = 0; x < icon.width; ++x) {
      const int value = index[at(x, y)];
      const int bit = x * bits;
      row[static_cast<std::size_t>(bit / 8)] |=
          static_cast<std::uint8_t>(value << (8 - bits - bit % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = icon.height - 1; y >= 0; --y) {
    Bytes row(mask_row, 0);
    for (int x = 0; x < icon.width; ++x) {
      if ((icon.argb[at(x, y)] >> 24) == 0) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarvel_icon_ico OUTPUT.ico\n");
    return 2;
  }
  try {
    const std::vector<Image> images = {Encode(rt::ParseXpm(resources::Icon32Mono()), 1),
                                       Encode(rt::ParseXpm(resources::Icon32()), 4),
                                       Encode(rt::ParseXpm(resources::Icon16()), 4)};
    Bytes file;
    Put16(file, 0);  // ICONDIR: reserved, type 1 (icon), count
    Put16(file, 1);
    Put16(file, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const Image& image : images) {
      file.push_back(static_cast<std::uint8_t>(image.width));
      file.push_back(static_cast<std::uint8_t>(image.height));
      file.push_back(static_cast<std::uint8_t>(1 << image.bits));  // colours in the palette
      file.push_back(0);
      Put16(file, 1);  // planes
      Put16(file, static_cast<std::uint32_t>(image.bits));
      Put32(file, static_cast<std::uint32_t>(image.data.size()));
      Put32(file, offset);
      offset += static_cast<std::uint32_t>(image.data.size());
    }
    for (const Image& image : images) {
      file.insert(file.end(), image.data.begin(), image.data.end());
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
      std::fprintf(stderr, "tarvel_icon_ico: cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarvel_icon_ico: %s\n", error.what());
    return 1;
  }
  return 0;
}
