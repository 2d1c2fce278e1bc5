// Runs Form1's project on the headless backend, keeping handles on the form and its code.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "form1/form1.h"
#include "runtime/headless/headless_backend.h"
#include "runtime/project.h"

namespace tarvel_test {

struct Form1Handles {
  rt::Form* form = nullptr;
  form1::Form1* code = nullptr;
};

// Form1's project, filling `handles` when the form's code is created and then running
// `prepare` on the code (before Load).
inline rt::Project Form1Project(Form1Handles& handles,
                                std::function<void(form1::Form1&)> prepare = {}) {
  rt::Project project = rt::MakeProject<form1::Form1>("Tarvel", form1::Form1Design());
  project.create_code = [&handles, prepare](rt::Form& form, rt::Events& events) {
    auto code = std::make_unique<form1::Form1>(form, events);
    handles = {&form, code.get()};
    if (prepare) {
      prepare(*code);
    }
    return std::unique_ptr<rt::FormCode>(std::move(code));
  };
  return project;
}

inline rt::TimePoint At(rt::Duration since_start) {
  return rt::TimePoint{} + since_start;
}

}  // namespace tarvel_test
