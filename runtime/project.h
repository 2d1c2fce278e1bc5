// Starting a program: its start-up form's design and code, handed to RunProject.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "runtime/design.h"
#include "runtime/form_code.h"

namespace rt {

class Backend;
class PlatformError;
struct WindowSpec;

struct Project {
  // The program's name: it opens every error line and titles error boxes.
  std::string name;
  FormDesign startup_form;
  // Creates the start-up form's code (its variables) and binds its handlers.
  std::function<std::unique_ptr<FormCode>(Form&, Events&)> create_code;
  // The windows' icon as XPM text (see icon.h); none when empty.
  std::span<const char* const> icon;
};

// A project whose start-up form's code is `Code`, constructed as Code(Form&, Events&).
template <class Code>
Project MakeProject(std::string name, FormDesign startup_form) {
  return {std::move(name),
          std::move(startup_form),
          [](Form& form, Events& events) -> std::unique_ptr<FormCode> {
            return std::make_unique<Code>(form, events);
          },
          {}};
}

// Runs `project` on the real display until its window is closed. Returns the process's exit
// status: 0 when closed, 1 after a run-time error, 2 when the platform failed (no display,
// no usable font), each failure with one line on stderr. (In the display library.)
int RunProject(const Project& project);

// The same, on the given backend.
int RunProject(const Project& project, Backend& backend);

// The start-up form's window as the backend is asked to open it: its caption, size, border,
// colour and the project's icon.
WindowSpec StartupWindow(const Project& project, const Form& form);

// Prints the line for a platform failure and returns its exit status, 2.
int ReportPlatformFailure(const Project& project, const PlatformError& error);

}  // namespace rt
