// Runs Tarvel on the real display for a while and reports, from inside the process, what only
// it can see: time from main to the first presented frame, ticks made against frames shown,
// wake-ups (voluntary context switches: every blocking wait that blocked) per frame, and
// Timer2's mean period.
//
//   tarvel_probe SECONDS
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "form1/form1.h"
#include "runtime/backend.h"
#include "runtime/platform/platform.h"
#include "runtime/project.h"

namespace {

using Steady = std::chrono::steady_clock;

// This process's voluntary context switches so far: each time it blocked, in a wait or
// otherwise. Linux tells; elsewhere -1.
long VoluntarySwitches() {
#if defined(__linux__)
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
      return std::atol(line.c_str() + line.find(':') + 1);
    }
  }
#endif
  return -1;
}

// Passes everything to the real backend, noting each present and closing after `run_for`.
class ProbeBackend final : public rt::Backend {
 public:
  ProbeBackend(std::unique_ptr<rt::Backend> inner, Steady::duration run_for)
      : inner_(std::move(inner)), run_for_(run_for) {
    // Room for every present at up to 250 frames a second, taken now, not while it runs.
    present_times_.reserve(static_cast<std::size_t>(
        std::chrono::duration_cast<std::chrono::seconds>(run_for).count() * 250 + 250));
  }

  rt::TimePoint Now() const override { return inner_->Now(); }
  rt::Duration FramePeriod() const override { return inner_->FramePeriod(); }
  float Scale() const override { return inner_->Scale(); }
  rt::WindowId OpenWindow(const rt::WindowSpec& window) override {
    return inner_->OpenWindow(window);
  }
  void CloseWindow(rt::WindowId window) override { inner_->CloseWindow(window); }
  bool CanPresent(rt::WindowId window) const override { return inner_->CanPresent(window); }
  rt::PixelBuffer Buffer(rt::WindowId window) override { return inner_->Buffer(window); }
  void Present(rt::WindowId window, std::span<const rt::PixelRect> damage) override {
    inner_->Present(window, damage);
    if (window != 0) {
      return;
    }
    const Steady::time_point now = Steady::now();
    if (present_times_.size() < present_times_.capacity()) {
      present_times_.push_back(now);
    }
    if (presents_++ == 0) {
      first_present_ = now;
      switches_at_first_ = VoluntarySwitches();
    }
    if (code_) {
      ticks_ = code_->Counter;
    }
    if (code_ && (code_->MouthOpen != 0) != mouth_open_) {
      mouth_open_ = code_->MouthOpen != 0;
      toggle_times_.push_back(now);
    }
  }
  void PaceByClock(rt::WindowId window, bool by_clock) override {
    inner_->PaceByClock(window, by_clock);
  }
  void WaitUntil(rt::TimePoint deadline, std::vector<rt::WindowEvent>& events) override {
    if (presents_ > 0 && Steady::now() - first_present_ >= run_for_) {
      // Read once at the end, not per frame: reading it is work the figures should not hold.
      switches_at_last_ = VoluntarySwitches();
      events.push_back({.kind = rt::WindowEvent::Kind::kCloseRequested, .window = 0});
      return;
    }
    inner_->WaitUntil(deadline, events);
  }

  std::unique_ptr<rt::Backend> inner_;
  Steady::duration run_for_;
  form1::Form1* code_ = nullptr;
  long presents_ = 0;
  long switches_at_first_ = 0;
  long switches_at_last_ = 0;
  long long ticks_ = 0;
  Steady::time_point first_present_;
  bool mouth_open_ = false;
  std::vector<Steady::time_point> toggle_times_;
  std::vector<Steady::time_point> present_times_;
};

double Ms(Steady::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The 1st and 99th percentiles of the intervals between presents, in ms.
std::pair<double, double> IntervalSpread(const std::vector<Steady::time_point>& presents) {
  std::vector<double> intervals;
  for (std::size_t i = 1; i < presents.size(); ++i) {
    intervals.push_back(Ms(presents[i] - presents[i - 1]));
  }
  if (intervals.empty()) {
    return {0.0, 0.0};
  }
  std::sort(intervals.begin(), intervals.end());
  return {intervals[intervals.size() / 100], intervals[intervals.size() * 99 / 100]};
}

}  // namespace

int main(int argc, char** argv) {
  const Steady::time_point started = Steady::now();
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  try {
    ProbeBackend backend(rt::OpenDisplay(), std::chrono::duration_cast<Steady::duration>(
                                                std::chrono::duration<double>(seconds)));
    rt::Project project = rt::MakeProject<form1::Form1>("Tarvel", form1::Form1Design());
    const auto create = project.create_code;
    project.create_code = [&](rt::Form& form, rt::Events& events) {
      std::unique_ptr<rt::FormCode> made = create(form, events);
      backend.code_ = static_cast<form1::Form1*>(made.get());
      return made;
    };
    const int status = rt::RunProject(project, backend);
    backend.code_ = nullptr;  // gone with the form
    const auto& toggles = backend.toggle_times_;
    std::printf("first frame after main     %8.1f ms\n", Ms(backend.first_present_ - started));
    std::printf("frames presented           %8ld\n", backend.presents_);
    std::printf("ticks made                 %8lld\n", backend.ticks_);
    std::printf("frames per second          %8.1f\n",
                static_cast<double>(backend.presents_ - 1) / seconds);
    std::printf("frame period asked         %8.2f ms\n", Ms(backend.FramePeriod()));
    if (backend.switches_at_first_ >= 0) {
      std::printf("wake-ups per frame         %8.2f\n",
                  backend.presents_ > 1 ? static_cast<double>(backend.switches_at_last_ -
                                                              backend.switches_at_first_) /
                                              static_cast<double>(backend.presents_ - 1)
                                        : 0.0);
    }  // else unknown here (no /proc): measure-windows.sh counts switches from outside
    const auto [low, high] = IntervalSpread(backend.present_times_);
    std::printf("present interval 1st-99th  %8.1f-%.1f ms\n", low, high);
    if (toggles.size() >= 2) {
      const double mean =
          Ms(toggles.back() - toggles.front()) / static_cast<double>(toggles.size() - 1);
      std::printf("Timer2 mean period         %8.2f ms over %zu toggles\n", mean,
                  toggles.size() - 1);
    }
    return status;
  } catch (const rt::PlatformError& error) {
    std::fprintf(stderr, "tarvel_probe: %s\n", error.what());
    return 2;
  }
}
