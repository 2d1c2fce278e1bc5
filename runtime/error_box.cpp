#include "runtime/error_box.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

#include "runtime/surface.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"

namespace rt {

namespace {

constexpr Color kBackground{240, 240, 240};
constexpr Color kInk{0, 0, 0};
constexpr Color kButtonFace{225, 225, 225};
constexpr Color kButtonPressed{204, 228, 247};
constexpr Color kButtonBorder{0, 120, 215};  // the default button, answering Enter

// Sizes at 96 DPI, in pixels.
constexpr float kPoints = 10.0F;
constexpr int kMargin = 16;
constexpr int kGap = 16;
constexpr int kMinWidth = 260;
constexpr int kMaxTextWidth = 480;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;
constexpr int kBorder = 2;

int Scaled(int pixels, float scale) {
  return static_cast<int>(std::lround(static_cast<float>(pixels) * scale));
}

// Breaks `message` at blanks into lines no wider than `limit`; a word wider than that gets a
// line of its own.
std::vector<std::u16string> Wrap(TextEngine& text, int font, const std::u16string& message,
                                 int limit) {
  std::vector<std::u16string> lines;
  std::u16string line;
  std::size_t start = 0;
  while (start <= message.size()) {
    std::size_t end = message.find(u' ', start);
    if (end == std::u16string::npos) {
      end = message.size();
    }
    const std::u16string_view word(message.data() + start, end - start);
    std::u16string wider = line;
    if (!wider.empty()) {
      wider.push_back(u' ');
    }
    wider.append(word);
    if (!line.empty() && text.Measure(font, wider).width > limit) {
      lines.push_back(line);
      line.assign(word);
    } else {
      line = std::move(wider);
    }
    start = end + 1;
  }
  lines.push_back(line);
  return lines;
}

}  // namespace

ErrorBox::ErrorBox(Backend& backend, TextEngine& text, WindowId parent, const std::string& title,
                   const std::string& message)
    : backend_(backend),
      text_(text),
      parent_(parent),
      layout_(LayOutErrorBox(text, message)),
      window_(backend.OpenWindow({.title = title,
                                  .client = layout_.size,
                                  .border = true,
                                  .back_color = kBackground,
                                  .role = WindowSpec::Role::kDialog,
                                  .parent = parent,
                                  .text = message})) {}

ErrorBox::~ErrorBox() {
  backend_.CloseWindow(window_);
}

bool ErrorBox::Step(const std::vector<WindowEvent>& events) {
  for (const WindowEvent& event : events) {
    Handle(event);
  }
  if (!dismissed_ && dirty_ && backend_.CanPresent(window_)) {
    Paint();
  }
  return dismissed_;
}

void ErrorBox::Handle(const WindowEvent& event) {
  if (event.kind == WindowEvent::Kind::kCloseRequested &&
      (event.window == window_ || event.window == parent_ || event.window == kNoWindow)) {
    dismissed_ = true;  // the form going too ends the program all the same
    return;
  }
  if (event.window != window_) {
    return;
  }
  switch (event.kind) {
    case WindowEvent::Kind::kKeyPressed:
      dismissed_ = dismissed_ || event.key != Key::kOther;
      break;
    case WindowEvent::Kind::kButtonPressed:
      SetPressed(layout_.button.Contains(event.point));
      break;
    case WindowEvent::Kind::kButtonReleased:
      // A click is a press and a release both on OK, as with any button.
      dismissed_ = dismissed_ || (pressed_ && layout_.button.Contains(event.point));
      SetPressed(false);
      break;
    case WindowEvent::Kind::kExposed:
    case WindowEvent::Kind::kResized:
    case WindowEvent::Kind::kScaleChanged:
      dirty_ = true;
      break;
    default:
      break;
  }
}

void ErrorBox::SetPressed(bool pressed) {
  dirty_ = dirty_ || pressed != pressed_;
  pressed_ = pressed;
}

void ErrorBox::Paint() {
  const PixelBuffer buffer = backend_.Buffer(window_);
  Surface surface(buffer);
  const PixelRect whole = surface.Bounds();
  surface.Fill(whole, kBackground);
  for (std::size_t i = 0; i < layout_.lines.size(); ++i) {
    const int y = layout_.text.y + static_cast<int>(i) * layout_.line_height;
    text_.Draw(surface, layout_.font, layout_.lines[i], layout_.text.x, y, kInk, whole);
  }
  const PixelRect& button = layout_.button;
  const int border = Scaled(kBorder, text_.Scale());
  surface.Fill(button, kButtonBorder);
  surface.Fill(
      {button.x + border, button.y + border, button.width - 2 * border, button.height - 2 * border},
      pressed_ ? kButtonPressed : kButtonFace);
  text_.Draw(surface, layout_.font, u"OK", layout_.button_text.x, layout_.button_text.y, kInk,
             button);
  const PixelRect damage[] = {whole};
  backend_.Present(window_, damage);
  dirty_ = false;
}

ErrorBoxLayout LayOutErrorBox(TextEngine& text, const std::string& message) {
  const float scale = text.Scale();
  ErrorBoxLayout layout;
  layout.font = text.OpenFont({.family = "Sans Serif", .points = kPoints, .weight = 400});
  const int margin = Scaled(kMargin, scale);
  layout.lines = Wrap(text, layout.font, FromUtf8(message), Scaled(kMaxTextWidth, scale));
  int text_width = 0;
  for (const std::u16string& line : layout.lines) {
    const PixelSize size = text.Measure(layout.font, line);
    text_width = std::max(text_width, size.width);
    layout.line_height = size.height;
  }
  const int width = std::max(Scaled(kMinWidth, scale), text_width + 2 * margin);
  const int button_top =
      margin + static_cast<int>(layout.lines.size()) * layout.line_height + Scaled(kGap, scale);
  layout.text = {margin, margin};
  layout.button = {width - margin - Scaled(kButtonWidth, scale), button_top,
                   Scaled(kButtonWidth, scale), Scaled(kButtonHeight, scale)};
  const PixelSize ok = text.Measure(layout.font, u"OK");
  layout.button_text = {layout.button.x + (layout.button.width - ok.width) / 2,
                        layout.button.y + (layout.button.height - ok.height) / 2};
  layout.size = {width, button_top + layout.button.height + margin};
  return layout;
}

void ShowErrorBox(Backend& backend, TextEngine& text, WindowId parent, const std::string& title,
                  const std::string& message) {
  ErrorBox box(backend, text, parent, title, message);
  std::vector<WindowEvent> events;
  while (!box.Step(events)) {
    events.clear();
    backend.WaitUntil(kNoDeadline, events);
  }
}

std::string PrintRunTimeError(const std::string& program, const std::string& handler,
                              const std::string& what) {
  std::string message = "run-time error in " + handler + ": " + what;
  std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
  std::fflush(stderr);
  return message;
}

void ReportRunTimeError(const std::string& program, const std::string& handler,
                        const std::string& what, Backend& backend, TextEngine& text,
                        WindowId parent) {
  ShowErrorBox(backend, text, parent, program, PrintRunTimeError(program, handler, what));
}

}  // namespace rt
