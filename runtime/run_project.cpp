#include <cstdio>

#include "runtime/backend.h"
#include "runtime/event_loop.h"
#include "runtime/project.h"
#include "runtime/random.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"

namespace rt {

int ReportPlatformFailure(const Project& project, const PlatformError& error) {
  std::fprintf(stderr, "%s: %s\n", project.name.c_str(), error.what());
  return 2;
}

WindowSpec StartupWindow(const Project& project, const Form& form) {
  WindowSpec window;
  window.title = ToUtf8(form.Caption());
  window.client = form.ClientPixels();
  window.border = form.HasBorder();
  window.back_color = form.BackColor();
  if (!project.icon.empty()) {
    window.icon = ParseXpm(project.icon);
  }
  return window;
}

int RunProject(const Project& project, Backend& backend) {
  try {
    const float scale = backend.Scale();
    TextEngine text(scale);
    Random random;
    Form form(project.startup_form, text, backend, random, kTwipsPerPixelAt96Dpi / scale);
    Events events;
    const std::unique_ptr<FormCode> code = project.create_code(form, events);
    const WindowId id = backend.OpenWindow(StartupWindow(project, form));
    EventLoop loop(project.name, backend, form, events, text, id);
    return loop.Run();
  } catch (const PlatformError& error) {
    const int status = ReportPlatformFailure(project, error);
    backend.ShowFailure(project.name, error.what());
    return status;
  }
}

}  // namespace rt
