// Steady-state ticks and frames allocate nothing from the heap. This binary counts every
// operator new and, outside sanitizer builds (which bring their own), every malloc made by the
// libraries under the painter too (FreeType, pixman), so it stands apart from the other tests.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "form1_fixture.h"
#include "runtime/painter.h"

namespace {
std::atomic<long> allocations{0};
std::atomic<long> mallocs{0};
}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
// glibc's own entry points, which these replacements pass every call on to.
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* p, std::size_t size);
extern "C" void __libc_free(void* p);

extern "C" void* malloc(std::size_t size) {
  ++mallocs;
  return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
  ++mallocs;
  return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
  ++mallocs;
  return __libc_realloc(p, size);
}
extern "C" void free(void* p) {
  __libc_free(p);
}
constexpr bool kCountsMalloc = true;
#else
constexpr bool kCountsMalloc = false;
#endif

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
      painter.Paint(form, backend.Buffer(0), false);
    }
  };
  run(2'000);  // every glyph seen once, every buffer at its size
  allocations = 0;
  mallocs = 0;
  run(20'000);
  EXPECT_EQ(allocations.load(), 0) << "from count " << GetParam();
  if (kCountsMalloc) {
    EXPECT_EQ(mallocs.load(), 0) << "from count " << GetParam();
  }
}

// Through a digit gained (10^7) and up to just below 10^8.
INSTANTIATE_TEST_SUITE_P(Counts, Allocations, ::testing::Values(9'990'000, 99'978'000));

}  // namespace
}  // namespace tarvel_test
