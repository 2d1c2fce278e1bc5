// Speed of the per-tick and per-frame work, on the headless backend.
#include <benchmark/benchmark.h>

#include <chrono>

#include "runtime/painter.h"
#include "runtime/text.h"
#include "tests/form1_fixture.h"

namespace {

// Form1 loaded, with a window to paint into and its first frame painted.
struct Bench : tarvel_test::Form1Fixture {
  rt::Painter painter{text};

  Bench() {
    OpenWindow();
    code.InitForm();
    painter.Paint(form, backend.Buffer(0), true);
  }
};

// One Timer1 tick: count, new caption (re-measured), step, and now and then a wrap.
void BM_StepLabel(benchmark::State& state) {
  Bench bench;
  bench.code.Counter = 10'000'000;  // an eight-digit count, as after a couple of days
  for (auto _ : state) {            // NOLINT(clang-analyzer-deadcode.DeadStores)
    bench.code.StepLabel();
  }
}
BENCHMARK(BM_StepLabel);

// One painted frame after a tick: repaint what changed into the window's pixels.
void BM_PaintFrame(benchmark::State& state) {
  Bench bench;
  bench.code.Counter = 10'000'000;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    state.PauseTiming();
    bench.code.StepLabel();
    state.ResumeTiming();
    benchmark::DoNotOptimize(bench.painter.Paint(bench.form, bench.backend.Buffer(0), false));
  }
}
BENCHMARK(BM_PaintFrame);

// Measuring a caption, as a label does on every change.
void BM_MeasureCaption(benchmark::State& state) {
  Bench bench;
  const rt::Text caption = rt::ConcatText(form1::kOpenFace, rt::IntToText(12345678));
  const int font = bench.form.LabelNamed("Label1").FontHandle();
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(bench.text.Measure(font, caption));
  }
}
BENCHMARK(BM_MeasureCaption);

// Building the caption's text: integer to text, then concatenation.
void BM_CaptionText(benchmark::State& state) {
  std::int64_t count = 10'000'000;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores)
    benchmark::DoNotOptimize(rt::ConcatText(form1::kClosedFace, rt::IntToText(++count)));
  }
}
BENCHMARK(BM_CaptionText);

}  // namespace

BENCHMARK_MAIN();
