// Steady-state ticks and frames allocate nothing from the heap. This binary counts every
// operator new, so it stands apart from the other tests.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "form1_fixture.h"
#include "runtime/painter.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t /*size*/) noexcept {
  std::free(p);
}

namespace tarvel_test {
namespace {

class Allocations : public ::testing::TestWithParam<std::int64_t>, public Form1Fixture {};

TEST_P(Allocations, NoneInSteadyStateTicksAndFrames) {
  OpenWindow();
  rt::Painter painter(text);
  code.InitForm();
  code.Counter = GetParam();
  auto run = [&](int ticks) {
    for (int i = 0; i < ticks; ++i) {
      code.StepLabel();
      if (i % 30 == 0) {
        code.ToggleFace();
      }
      painter.Paint(form, backend.Surface(), false);
    }
  };
  run(2'000);  // every glyph seen once, every buffer at its size
  allocations = 0;
  run(20'000);
  EXPECT_EQ(allocations.load(), 0) << "from count " << GetParam();
}

// Through a digit gained (10^7) and up to just below 10^8.
INSTANTIATE_TEST_SUITE_P(Counts, Allocations, ::testing::Values(9'990'000, 99'978'000));

}  // namespace
}  // namespace tarvel_test
