// Speed of the per-tick and per-frame work, on the headless backend.
#include <benchmark/benchmark.h>

#include <chrono>

#include "form1/form1.h"
#include "runtime/form.h"
#include "runtime/headless/headless_backend.h"
#include "runtime/painter.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"

namespace {

struct Bench {
  rt::HeadlessBackend backend;
  rt::TextEngine text;
  rt::Random random;
  rt::Form form{form1::Form1Design(), text, backend, random};
  rt::Events events;
  form1::Form1 code{form, events};
  rt::Painter painter{text};

  Bench() {
    backend.OpenWindow({"Form1", form.ClientPixels(), false, form.BackColor(), {}});
    code.InitForm();
    painter.Paint(form, backend.Surface(), true);
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
    benchmark::DoNotOptimize(bench.painter.Paint(bench.form, bench.backend.Surface(), false));
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
