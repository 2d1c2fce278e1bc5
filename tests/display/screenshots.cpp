// Looking at screenshots: polling until one shows what a test waits for, finding the label's
// red ink and an error box's dark ink, and saving a picture of a failing check.
#include "display/harness.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace display_test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool IsRed(std::uint32_t pixel) {
  return (pixel & 0xFF0000) != 0 && (pixel & 0x00FFFF) == 0;
}

Box BoundsOf(const Image& image, bool (*match)(std::uint32_t)) {
  Box box{image.width, image.height, -1, -1};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (match(image.At(x, y))) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x);
        box.bottom = std::max(box.bottom, y);
      }
    }
  }
  return box;
}

Image CaptureUntil(const std::function<Image()>& capture,
                   const std::function<bool(const Image&)>& done, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  for (;;) {
    Image image = capture();
    if (done(image) || Clock::now() >= end) {
      return image;
    }
    std::this_thread::sleep_for(30ms);
  }
}

long DarkInk(const Image& image) {
  return static_cast<long>(std::count_if(image.pixels.begin(), image.pixels.end(),
                                         [](std::uint32_t p) { return (p & 0x808080) == 0; }));
}

double SolidRedShare(const Image& image) {
  long ink = 0;
  long solid = 0;
  for (const std::uint32_t pixel : image.pixels) {
    ink += IsRed(pixel);
    solid += pixel == 0xFF0000;
  }
  return ink == 0 ? 0.0 : static_cast<double>(solid) / static_cast<double>(ink);
}

bool WhollyInside(const Box& box, const Box& within) {
  return !box.empty() && box.left > within.left && box.top > within.top &&
         box.right < within.right && box.bottom < within.bottom;
}

std::string SaveScreenshot(const Image& image, const std::string& name) {
  fs::create_directories(TARVEL_SCREENSHOT_DIR);
  const std::string base = std::string(TARVEL_SCREENSHOT_DIR) + "/" + name;
  {
    std::ofstream ppm(base + ".ppm", std::ios::binary);
    ppm << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (const std::uint32_t pixel : image.pixels) {
      const char rgb[3] = {static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 8),
                           static_cast<char>(pixel)};
      ppm.write(rgb, 3);
    }
  }
  if (access("/usr/bin/convert", X_OK) == 0) {
    const std::string command = "/usr/bin/convert '" + base + ".ppm' '" + base + ".png'";
    // The display tests run on one thread.
    if (std::system(command.c_str()) == 0) {  // NOLINT(concurrency-mt-unsafe)
      fs::remove(base + ".ppm");
      return base + ".png";
    }
  }
  return base + ".ppm";
}

}  // namespace display_test
