#include <cstdio>

#include "runtime/backend.h"
#include "runtime/event_loop.h"
#include "runtime/painter.h"
#include "runtime/project.h"
#include "runtime/random.h"
#include "runtime/sdl/sdl_backend.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"

namespace rt {

namespace {

int PlatformFailure(const Project& project, const PlatformError& error) {
  std::fprintf(stderr, "%s: %s\n", project.name.c_str(), error.what());
  return 2;
}

}  // namespace

int RunProject(const Project& project, Backend& backend) {
  try {
    const float scale = backend.Scale();
    TextEngine text(scale);
    Random random;
    Form form(project.startup_form, text, backend, random, kTwipsPerPixelAt96Dpi / scale);
    Events events;
    const std::unique_ptr<FormCode> code = project.create_code(form, events);
    backend.OpenWindow({ToUtf8(form.Caption()), form.ClientPixels(), form.HasBorder(),
                        form.BackColor(),
                        project.icon.empty() ? IconImage{} : ParseXpm(project.icon)});
    Painter painter(text);
    EventLoop loop(project.name, backend, form, events, painter);
    return loop.Run();
  } catch (const PlatformError& error) {
    return PlatformFailure(project, error);
  }
}

int RunProject(const Project& project) {
  try {
    const std::unique_ptr<Backend> backend = MakeSdlBackend(project.name);
    return RunProject(project, *backend);
  } catch (const PlatformError& error) {
    return PlatformFailure(project, error);
  }
}

}  // namespace rt
