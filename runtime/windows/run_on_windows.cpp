// Running a project on Windows: the one place that sets the process up for its display.
#include "runtime/display/display.h"
#include "runtime/project.h"
#include "runtime/windows/dpi.h"
#include "runtime/windows/failure_box.h"
#include "runtime/windows/windows_backend.h"

namespace rt {

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
    const int status = ReportPlatformFailure(project, error);
    windows::ShowFailureBox(project.name, error.what());
    return status;
  }
  return RunProject(project, *backend);
}

}  // namespace rt
