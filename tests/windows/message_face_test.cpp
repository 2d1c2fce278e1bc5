// On Windows a font the system lacks ("Sans Serif") stands in the system's message face, and
// follows it when the user changes it (the window hears WM_SETTINGCHANGE and has the text laid
// out afresh through SetScale). Run in the headless suite under Wine; the changed face is put
// back whatever happens.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/design.h"
#include "runtime/text_engine.h"

namespace {

// Sets the message face for the session, without saving it, and puts the old one back.
class MessageFace {
 public:
  explicit MessageFace(const wchar_t* face) {
    saved_.cbSize = sizeof saved_;
    ok_ = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof saved_, &saved_, 0) != 0;
    NONCLIENTMETRICSW changed = saved_;
    std::memset(changed.lfMessageFont.lfFaceName, 0, sizeof changed.lfMessageFont.lfFaceName);
    std::memcpy(changed.lfMessageFont.lfFaceName, face, wcslen(face) * sizeof(wchar_t));
    ok_ = ok_ && SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof changed, &changed, 0) != 0;
  }
  ~MessageFace() { SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof saved_, &saved_, 0); }
  MessageFace(const MessageFace&) = delete;
  MessageFace& operator=(const MessageFace&) = delete;
  bool ok() const { return ok_; }

 private:
  NONCLIENTMETRICSW saved_{};
  bool ok_ = false;
};

TEST(GdiMessageFace, AFontStandingInTheMessageFaceFollowsItWhenItChanges) {
  rt::TextEngine engine;
  const int font = engine.OpenFont({.family = "Sans Serif", .points = 24});
  const std::u16string text = u"iiiiiiii";
  const int proportional = engine.Measure(font, text).width;
  {
    // A monospaced face: its i is as wide as any letter.
    const MessageFace mono(L"DejaVu Sans Mono");
    ASSERT_TRUE(mono.ok());
    engine.SetScale(engine.Scale());  // what the window's WM_SETTINGCHANGE leads to
    EXPECT_GT(engine.Measure(font, text).width, proportional * 3 / 2);
  }
  engine.SetScale(engine.Scale());
  EXPECT_EQ(engine.Measure(font, text).width, proportional);
}

}  // namespace
