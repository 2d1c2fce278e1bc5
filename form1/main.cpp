// Tarvel's entry point: the one place that owns the process.
#include "form1/form1.h"
#include "runtime/project.h"

int main() {
  return rt::RunProject(rt::MakeProject<form1::Form1>("Tarvel", form1::Form1Design()));
}
