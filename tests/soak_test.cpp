// Ten million ticks: the count and caption are still right and memory has not crept up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "form1_fixture.h"
#include "runtime/painter.h"

namespace tarvel_test {
namespace {

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

TEST(Soak, TenMillionTicksKeepCountCaptionAndMemory) {
  Form1Fixture f;
  f.OpenWindow();
  rt::Painter painter(f.text);
  f.code.InitForm();
  constexpr long kTicks = 10'000'000;
  long resident_early = 0;
  for (long tick = 1; tick <= kTicks; ++tick) {
    f.code.StepLabel();
    if (tick % 30 == 0) {
      f.code.ToggleFace();
    }
    if (tick % 1'000 == 0) {  // painting sampled, so the soak takes seconds
      painter.Paint(f.form, f.backend.Buffer(0), false);
    }
    if (tick == 1'000) {
      resident_early = ResidentBytes();
    }
  }
  EXPECT_EQ(f.code.Counter, kTicks);
  EXPECT_EQ(f.label.Caption(), Form1Fixture::Caption(f.code.Face, kTicks));
  EXPECT_LE(ResidentBytes() - resident_early, 1L << 20);
}

}  // namespace
}  // namespace tarvel_test
