// Running a project on the real display: the one place that picks the platform backend.
#include "runtime/backend.h"
#include "runtime/project.h"
#include "runtime/sdl/sdl_backend.h"

namespace rt {

int RunProject(const Project& project) {
  try {
    const std::unique_ptr<Backend> backend = MakeSdlBackend(project.name);
    return RunProject(project, *backend);
  } catch (const PlatformError& error) {
    return ReportPlatformFailure(project, error);
  }
}

}  // namespace rt
