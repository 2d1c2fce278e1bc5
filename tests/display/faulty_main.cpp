// Tarvel with its count started just short of the maximum, so that the third tick raises the
// overflow error. Only the tests build it: it shows the error report on a real display.
#include <cstdint>
#include <limits>
#include <memory>

#include "form1/form1.h"
#include "runtime/project.h"

int main() {
  rt::Project project = rt::MakeProject<form1::Form1>("Tarvel", form1::Form1Design());
  const auto create = project.create_code;
  project.create_code = [create](rt::Form& form, rt::Events& events) {
    std::unique_ptr<rt::FormCode> code = create(form, events);
    static_cast<form1::Form1&>(*code).Counter = std::numeric_limits<std::int64_t>::max() - 2;
    return code;
  };
  return rt::RunProject(project);
}
