// Tarvel's entry point: the one place that owns the process.
#include "form1/form1.h"
#include "resources/icons.h"
#include "runtime/project.h"

int main() {
  rt::Project project = rt::MakeProject<form1::Form1>("Tarvel", form1::Form1Design());
  project.icon = resources::Icon32();
  return rt::RunProject(project);
}
