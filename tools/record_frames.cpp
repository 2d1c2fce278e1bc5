// Records Tarvel's first moments as image files, deterministically, on the headless backend.
// Not part of the shipped program: it makes the README's animation.
//
//   tarvel_record OUTPUT_DIR SECONDS EVERY_NTH_FRAME
//
// Writes OUTPUT_DIR/frame-0000.ppm and onwards, one for every EVERY_NTH_FRAME-th frame of a
// 60 Hz display, and prints how many it wrote.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "form1/form1.h"
#include "runtime/headless/headless_backend.h"
#include "runtime/project.h"

namespace {

bool WritePpm(const rt::HeadlessBackend& backend, const std::string& path) {
  const rt::PixelSize size = backend.Window().client;
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << size.width << ' ' << size.height << "\n255\n";
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const rt::Color c = backend.PixelAt(x, y);
      const char rgb[3] = {static_cast<char>(c.red), static_cast<char>(c.green),
                           static_cast<char>(c.blue)};
      out.write(rgb, 3);
    }
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR SECONDS EVERY_NTH_FRAME\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const double seconds = std::atof(argv[2]);
  const long every = std::atol(argv[3]);
  if (seconds <= 0 || every <= 0) {
    std::fprintf(stderr, "%s: SECONDS and EVERY_NTH_FRAME must be positive\n", argv[0]);
    return 2;
  }

  rt::HeadlessBackend backend;
  backend.CloseAt(rt::TimePoint{} +
                  std::chrono::duration_cast<rt::Duration>(std::chrono::duration<double>(seconds)));
  int written = 0;
  bool failed = false;
  backend.OnPresent([&] {
    if ((backend.Presents() - 1) % every != 0 || failed) {
      return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.ppm", written);
    failed = !WritePpm(backend, dir + name);
    written += failed ? 0 : 1;
  });
  const int status =
      rt::RunProject(rt::MakeProject<form1::Form1>("Tarvel", form1::Form1Design()), backend);
  if (status != 0 || failed) {
    std::fprintf(stderr, "%s: recording failed (status %d)\n", argv[0], status);
    return 1;
  }
  std::printf("%d\n", written);
  return 0;
}
