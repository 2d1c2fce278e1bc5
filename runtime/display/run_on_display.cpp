// Running a project on the real display: the one place that picks the platform.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "runtime/backend.h"
#include "runtime/display/display.h"
#include "runtime/project.h"
#include "runtime/wayland/wayland_backend.h"
#include "runtime/x11/x11_backend.h"

namespace rt {

namespace {

// The program has one thread and never changes its environment, so reading it is safe.
std::string Environment(const char* name) {
  const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
  return value ? value : "";
}

bool DefaultWaylandSocketExists() {
  const std::string runtime_dir = Environment("XDG_RUNTIME_DIR");
  struct stat info {};
  return !runtime_dir.empty() && stat((runtime_dir + "/wayland-0").c_str(), &info) == 0 &&
         S_ISSOCK(info.st_mode);
}

}  // namespace

std::unique_ptr<Backend> OpenDisplay() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");  // NOLINT(concurrency-mt-unsafe)
  std::string why;
  if (wayland ? *wayland != '\0' : DefaultWaylandSocketExists()) {
    // A relative socket name is looked up in XDG_RUNTIME_DIR; without one libwayland would only
    // complain on stderr.
    if (wayland && *wayland != '/' && Environment("XDG_RUNTIME_DIR").empty()) {
      why = "WAYLAND_DISPLAY is set but XDG_RUNTIME_DIR is not";
    } else {
      try {
        return MakeWaylandBackend();
      } catch (const PlatformError& error) {
        why = error.what();
      }
    }
  }
  if (!Environment("DISPLAY").empty() || why.empty()) {
    try {
      return MakeX11Backend();
    } catch (const PlatformError& error) {
      if (why.empty()) {
        throw;
      }
      why += "; " + std::string(error.what());
    }
  }
  throw PlatformError(
      why.rfind("cannot open a display: ", 0) == 0 ? why : "cannot open a display: " + why);
}

int RunProject(const Project& project) {
  try {
    const std::unique_ptr<Backend> backend = OpenDisplay();
    return RunProject(project, *backend);
  } catch (const PlatformError& error) {
    return ReportPlatformFailure(project, error);
  }
}

}  // namespace rt
