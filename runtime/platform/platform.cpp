// Which platform a run gets, and RunProject's start there. Linux chooses at run time between
// Wayland and X11, whichever the session offers; Windows and the web have one backend each,
// chosen when the program is built. This is the only file that knows every backend.
#include "runtime/platform/platform.h"

#include "runtime/backend.h"
#include "runtime/project.h"

#if defined(__EMSCRIPTEN__)
#include "runtime/platform/page_session.h"
#include "runtime/web/page_js.h"
#elif defined(_WIN32)
#include "runtime/windows/dpi.h"
#include "runtime/windows/failure_box.h"
#include "runtime/windows/windows_backend.h"
#else
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "runtime/wayland/wayland_backend.h"
#include "runtime/x11/x11_backend.h"
#endif

namespace rt {

#if defined(__EMSCRIPTEN__)

int RunProject(const Project& project) {
  try {
    BeginPageSession(project);
  } catch (const PlatformError& error) {
    const int status = ReportPlatformFailure(project, error);
    tarvel_page_ended(status, error.what());
    return status;
  }
  // The program goes on in the page, called for each frame; the page says when it ends.
  return 0;
}

#elif defined(_WIN32)

std::unique_ptr<Backend> OpenDisplay() {
  // Before any window: Windows must know at once that Tarvel draws at each monitor's DPI.
  windows::BecomeDpiAware();
  return MakeWindowsBackend();
}

int RunProject(const Project& project) {
  std::unique_ptr<Backend> backend;
  try {
    backend = OpenDisplay();
  } catch (const PlatformError& error) {
    // No window to hang a message on, and no console for a windowed program: a box says it.
    const int status = ReportPlatformFailure(project, error);
    windows::ShowFailureBox(project.name, error.what());
    return status;
  }
  return RunProject(project, *backend);
}

#else

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

#endif

}  // namespace rt
