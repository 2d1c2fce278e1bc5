// Finding the label's font, and failing clearly when there is none.
#include "runtime/freetype/font_lookup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "run_headless.h"
#include "runtime/backend.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

TEST(FontLookup, SansSerifResolvesToAnInstalledFile) {
  const rt::FontFile file = rt::FindFontFile({.family = "Sans Serif", .points = 24});
  EXPECT_TRUE(std::filesystem::exists(file.path)) << file.path;
  EXPECT_EQ(file.family, "DejaVu Sans");
  // A family nobody has still gets the default face rather than nothing.
  const rt::FontFile other = rt::FindFontFile({.family = "No Such Family 1234", .points = 24});
  EXPECT_TRUE(std::filesystem::exists(other.path)) << other.path;
}

// Points fontconfig at a configuration that lists no fonts, for the test's lifetime.
class NoFonts {
 public:
  NoFonts() {
    const char* old = std::getenv("FONTCONFIG_FILE");
    had_old_ = old != nullptr;
    if (had_old_) {
      old_ = old;
    }
    path_ = std::filesystem::temp_directory_path() / "tarvel-no-fonts.conf";
    std::ofstream(path_) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    setenv("FONTCONFIG_FILE", path_.c_str(), 1);
  }
  ~NoFonts() {
    if (had_old_) {
      setenv("FONTCONFIG_FILE", old_.c_str(), 1);
    } else {
      unsetenv("FONTCONFIG_FILE");
    }
    std::filesystem::remove(path_);
  }
  NoFonts(const NoFonts&) = delete;
  NoFonts& operator=(const NoFonts&) = delete;

 private:
  std::filesystem::path path_;
  bool had_old_ = false;
  std::string old_;
};

TEST(FontLookup, NoFontEndsTheRunWithStatusTwoAndSaysWhatWasLookedFor) {
  const NoFonts no_fonts;
  EXPECT_THROW(rt::FindFontFile({.family = "Sans Serif", .points = 24}), rt::PlatformError);
  rt::HeadlessBackend backend;
  backend.CloseAt(At(1s));
  Form1Handles handles;
  testing::internal::CaptureStderr();
  const int status = rt::RunProject(Form1Project(handles), backend);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 2);
  EXPECT_NE(err.find("Tarvel: no usable font: looked for \"Sans Serif\""), std::string::npos)
      << err;
  EXPECT_FALSE(backend.WindowShown());
}

}  // namespace
}  // namespace tarvel_test
