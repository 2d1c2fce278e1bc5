// Ten seconds on a real display under valgrind's memcheck, ended by a close request: no memory
// errors and nothing lost, on X11 and on Wayland.
#include <thread>

#include "display/harness.h"
#include "display/weston.h"

namespace display_test {
namespace {

TEST(Valgrind, TenSecondRunEndedByACloseRequestIsClean) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "valgrind cannot run a sanitizer build";
#endif
  const VirtualScreen screen;
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  const std::string err = TempPath("valgrind");
  Child tarvel({"valgrind", "--leak-check=full", "--errors-for-leak-kinds=definite,indirect",
                "--error-exitcode=99",
                "--suppressions=" TARVEL_SOURCE_DIR "/tests/sanitizers/valgrind.supp", TARVEL_EXE},
               X11Env(screen.name()), err);
  const Window window = screen.FindWindow("Form1", 60s);
  ASSERT_NE(window, 0U) << ReadFile(err);
  std::this_thread::sleep_for(10s);
  screen.SendDeleteWindow(window);
  const std::optional<int> status = tarvel.WaitFor(60s);
  const std::string report = ReadFile(err);
  EXPECT_EQ(status, std::optional<int>(0)) << report;
  EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
}

TEST(Valgrind, TenSecondsOnWaylandEndedByACloseRequestAreClean) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "valgrind cannot run a sanitizer build";
#endif
  const VirtualScreen host;
  ASSERT_TRUE(host.ok()) << "Xvfb did not start: " << host.Log();
  const NestedWeston weston(host);
  ASSERT_TRUE(weston.ok()) << "weston did not start: " << weston.Log();
  const std::string err = TempPath("valgrind");
  Child tarvel({"valgrind", "--leak-check=full", "--errors-for-leak-kinds=definite,indirect",
                "--error-exitcode=99",
                "--suppressions=" TARVEL_SOURCE_DIR "/tests/sanitizers/valgrind.supp", TARVEL_EXE},
               weston.ClientEnv(), err);
  // Valgrind takes its time to start the program: ten seconds from when its window is up.
  ASSERT_FALSE(weston.WaitForWindow(60s).second.empty()) << ReadFile(err);
  std::this_thread::sleep_for(10s);
  ASSERT_FALSE(tarvel.WaitFor(0ms)) << ReadFile(err);
  weston.CloseTopmost();
  const std::optional<int> status = tarvel.WaitFor(60s);
  const std::string report = ReadFile(err);
  EXPECT_EQ(status, std::optional<int>(0)) << report;
  EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
}

}  // namespace
}  // namespace display_test
