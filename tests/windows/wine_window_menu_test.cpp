// The borderless form as the taskbar and the window menu handle it, under Wine: it has a window
// menu that can minimise and close it, still shows undecorated at exactly its client size, and
// the menu's Close (WM_SYSCOMMAND, SC_CLOSE, as the taskbar sends) ends it with status 0.
#include <gtest/gtest.h>

#include "display/harness.h"
#include "windows/wine_session.h"

namespace display_test {
namespace {

TEST(WindowsWindowMenu, BorderlessFormHasAWindowMenuWhoseCloseEndsItWithStatusZero) {
  const WineSession session = WineSession::FromEnvironment();
  ASSERT_TRUE(session.ok()) << session.problem();
  const auto screen = VirtualScreen::Attach(session.display());
  ASSERT_TRUE(screen && screen->ok()) << "cannot open " << session.display();
  const std::string err = TempPath("err");
  const auto program = session.Start({FromEnvironment("TARVEL_EXE")}, err);
  const Window window = screen->FindWindow("Form1", std::chrono::seconds(60));
  ASSERT_NE(window, 0U) << ReadFile(err);

  XWindowAttributes attributes;
  XGetWindowAttributes(screen->display(), window, &attributes);
  EXPECT_EQ(attributes.width, 312);
  EXPECT_EQ(attributes.height, 213);
  EXPECT_EQ(Decorations(screen->display(), window), 0);

  // The helper checks the styles and the menu from inside the session, then sends the close.
  const std::string helper_err = TempPath("helper-err");
  EXPECT_EQ(session.Start({FromEnvironment("TARVEL_WINDOW_MENU_EXE")}, helper_err)
                ->WaitFor(std::chrono::seconds(60)),
            std::optional<int>(0))
      << ReadFile(helper_err);
  EXPECT_EQ(program->WaitFor(std::chrono::seconds(20)), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

}  // namespace
}  // namespace display_test
