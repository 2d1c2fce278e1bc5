#include "display/weston.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

namespace display_test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Weston's output shows at the host's top-left, 800 x 600, under the panel along its top.
constexpr int kOutputWidth = 800;
constexpr int kOutputHeight = 600;

bool IsBlack(std::uint32_t pixel) {
  return pixel == 0;
}

bool IsBlackOrRed(std::uint32_t pixel) {
  return IsBlack(pixel) || IsRed(pixel);
}

// The output's pixels, row by row.
std::vector<std::uint32_t> OutputPixels(const Image& image) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < std::min(kOutputHeight, image.height); ++y) {
    for (int x = 0; x < std::min(kOutputWidth, image.width); ++x) {
      pixels.push_back(image.At(x, y));
    }
  }
  return pixels;
}

}  // namespace

NestedWeston::NestedWeston(const VirtualScreen& host, int scale) : host_(host), scale_(scale) {
  runtime_dir_ = TempPath("xdg");
  fs::create_directories(runtime_dir_);
  chmod(runtime_dir_.c_str(), 0700);
  socket_ = "tarvel-wayland";
  // No animations: the shell would fade its desktop in from black at start, blending a window
  // shown meanwhile with it, and fade windows out as they close.
  const std::string config = runtime_dir_ + "/weston.ini";
  std::ofstream(config) << "[shell]\nstartup-animation=none\nanimation=none\n"
                           "close-animation=none\nlocking=false\n";
  server_ = std::make_unique<Child>(
      std::vector<std::string>{
          "weston", "--backend=x11-backend.so", "--use-pixman", "--socket=" + socket_,
          "--idle-time=0", "--config=" + config, "--width=" + std::to_string(kOutputWidth / scale),
          "--height=" + std::to_string(kOutputHeight / scale), "--scale=" + std::to_string(scale),
          "--modules=" TARVEL_WESTON_CLOSE},
      std::vector<std::string>{"DISPLAY=" + host.name(), "XDG_RUNTIME_DIR=" + runtime_dir_,
                               "WAYLAND_DISPLAY"},
      log_);
  const auto end = Clock::now() + kPatience;
  while (!fs::exists(runtime_dir_ + "/" + socket_) && Clock::now() < end) {
    std::this_thread::sleep_for(20ms);
  }
  if (!fs::exists(runtime_dir_ + "/" + socket_)) {
    return;
  }
  // The shell's client draws the desktop a moment after the socket appears. Ready is when it is
  // drawn (hardly any black left) and stands still from one screenshot to the next.
  std::vector<std::uint32_t> before;
  CaptureUntil([&host] { return host.CaptureScreen(); },
               [this, &before](const Image& image) {
                 std::vector<std::uint32_t> now = OutputPixels(image);
                 const auto black = std::count(now.begin(), now.end(), 0U);
                 ok_ = !now.empty() && black * 10 < static_cast<long>(now.size()) && now == before;
                 before = std::move(now);
                 return ok_;
               });
}

NestedWeston::~NestedWeston() {
  server_.reset();
  std::error_code ignored;
  fs::remove_all(runtime_dir_, ignored);
}

void NestedWeston::Kill() {
  kill(server_->pid(), SIGKILL);
  server_->WaitFor(5s);
}

void NestedWeston::CloseTopmost() const {
  kill(server_->pid(), SIGUSR2);
}

void NestedWeston::HideOrShowTopmost() const {
  kill(server_->pid(), SIGUSR1);
}

void NestedWeston::PressKey(unsigned long keysym) const {
  // Weston reads its keyboard from the X window that shows its output, the only one mapped.
  Display* display = host_.display();
  const std::vector<Window> mapped = host_.MappedTopLevels();
  const Window output = mapped.empty() ? 0 : mapped.front();
  SendKey(display, output, keysym);
}

std::vector<std::string> NestedWeston::ClientEnv() const {
  return {"WAYLAND_DISPLAY=" + socket_, "XDG_RUNTIME_DIR=" + runtime_dir_, "DISPLAY"};
}

Box NestedWeston::WindowBox(const Image& image) const {
  // Below the panel; the pointer's small black outline is too thin to count as rows or columns
  // of black.
  const int panel_height = 35 * scale_;
  Box box{kOutputWidth, image.height, -1, -1};
  std::vector<int> columns(kOutputWidth, 0);
  for (int y = panel_height; y < kOutputHeight && y < image.height; ++y) {
    int in_row = 0;
    for (int x = 0; x < kOutputWidth && x < image.width; ++x) {
      in_row += IsBlackOrRed(image.At(x, y));
    }
    if (in_row < 150) {
      continue;
    }
    box.top = std::min(box.top, y);
    box.bottom = y;
    for (int x = 0; x < kOutputWidth && x < image.width; ++x) {
      columns[static_cast<std::size_t>(x)] += IsBlackOrRed(image.At(x, y));
    }
  }
  for (int x = 0; x < kOutputWidth; ++x) {
    if (columns[static_cast<std::size_t>(x)] >= 100) {
      box.left = std::min(box.left, x);
      box.right = x;
    }
  }
  return box;
}

std::pair<Image, Box> NestedWeston::WaitForWindow(std::chrono::milliseconds limit) const {
  Box box;
  Box before;
  const Image image = CaptureUntil(
      [this] { return host_.CaptureScreen(); },
      [this, &box, &before](const Image& shot) {
        box = WindowBox(shot);
        const bool with_text = !box.empty() && !BoundsOf(shot, IsRed).empty();
        const bool still = !before.empty() && box.left == before.left && box.top == before.top &&
                           box.right == before.right && box.bottom == before.bottom;
        before = box;
        return with_text && still;
      },
      limit);
  return {image, box};
}

std::vector<std::vector<std::string>> WithAndWithoutDecorationPlugins() {
  // A folder that does not exist is what a machine without the plugin package has.
  return {{"LIBDECOR_PLUGIN_DIR"}, {"LIBDECOR_PLUGIN_DIR=/nonexistent/tarvel-no-plugins"}};
}

}  // namespace display_test
