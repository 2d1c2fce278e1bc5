// The text engine on Windows: the system's own GDI measures and draws.
//
// A font the system does not have (the design's "Sans Serif" is a generic name, not a Windows
// face) becomes the face the system itself uses for its messages, at the design's size. Text
// is measured with GetTextExtentPoint32W and drawn with ExtTextOutW by the same font, so a label
// fits what is drawn. GDI draws into bitmaps it made, not into the backend's memory: the area
// to draw is copied into a scratch bitmap, drawn over by GDI (which blends its antialiased
// edges with what is there), and copied back. The scratch bitmap only ever grows, so steady
// drawing allocates nothing.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

#include "runtime/backend.h"
#include "runtime/native/dib_section.h"
#include "runtime/surface.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"

namespace rt {

namespace {

const wchar_t* Wide(std::u16string_view text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return reinterpret_cast<const wchar_t*>(text.data());
}

// Whether the system has a face of that family name.
bool HasFamily(HDC dc, const std::u16string& family) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  if (family.empty() || family.size() >= LF_FACESIZE) {
    return false;
  }
  std::memcpy(wanted.lfFaceName, family.data(), family.size() * sizeof(wchar_t));
  bool found = false;
  EnumFontFamiliesExW(
      dc, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found_flag) -> int {
        *reinterpret_cast<bool*>(found_flag) = true;  // NOLINT(performance-no-int-to-ptr): ours
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The face the system shows its messages in.
std::u16string MessageFace() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return {};
  }
  return {reinterpret_cast<const char16_t*>(metrics.lfMessageFont.lfFaceName)};
}

}  // namespace

struct TextEngine::Renderer {
  HDC dc = nullptr;
  HBITMAP scratch = nullptr;
  HGDIOBJ original_bitmap = nullptr;
  HGDIOBJ original_font = nullptr;
  std::uint32_t* scratch_pixels = nullptr;
  PixelSize scratch_size;

  Renderer() : dc(CreateCompatibleDC(nullptr)) {
    if (!dc) {
      throw PlatformError("cannot start the font renderer (GDI)");
    }
    original_font = GetCurrentObject(dc, OBJ_FONT);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  }
  ~Renderer() {
    SelectObject(dc, original_font);
    if (scratch) {
      SelectObject(dc, original_bitmap);
      DeleteObject(scratch);
    }
    DeleteDC(dc);
  }
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // A scratch bitmap of at least `size`, selected into the DC.
  void EnsureScratch(PixelSize size) {
    if (scratch && scratch_size.width >= size.width && scratch_size.height >= size.height) {
      return;
    }
    const PixelSize grown{std::max(size.width, scratch_size.width),
                          std::max(size.height, scratch_size.height)};
    std::uint32_t* pixels = nullptr;
    HBITMAP made = gdi::MakeDibSection(dc, grown, pixels);
    if (!made) {
      throw PlatformError("cannot draw text: no memory for a bitmap");
    }
    HGDIOBJ previous = SelectObject(dc, made);
    if (scratch) {
      DeleteObject(scratch);
    } else {
      original_bitmap = previous;
    }
    scratch = made;
    scratch_pixels = pixels;
    scratch_size = grown;
  }
};

struct TextEngine::Font {
  FontDesign design;
  // Whether it stands in the system's message face for one the system lacks.
  bool message_face = false;
  LOGFONTW logfont{};
  HFONT font = nullptr;
  int height = 0;

  Font() = default;
  ~Font() {
    if (font) {
      DeleteObject(font);
    }
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  void SetSize(float scale, HDC dc) {
    // Points are 1/72 inch; at 96 DPI that is 4/3 pixel each. A negative height asks for the
    // em size, as a point size means.
    logfont.lfHeight = -static_cast<LONG>(std::lround(design.points * 96.0F / 72.0F * scale));
    HFONT made = CreateFontIndirectW(&logfont);
    if (!made) {
      throw PlatformError("no usable font: the system made none for \"" + design.family + "\"");
    }
    if (font) {
      DeleteObject(font);
    }
    font = made;
    SelectObject(dc, font);
    TEXTMETRICW metrics{};
    wchar_t face[LF_FACESIZE] = {};
    if (!GetTextMetricsW(dc, &metrics) || GetTextFaceW(dc, LF_FACESIZE, face) <= 0) {
      throw PlatformError("no usable font: looked for \"" + design.family +
                          "\" and the system's message face");
    }
    height = metrics.tmHeight;
  }
};

TextEngine::TextEngine(float scale) : scale_(scale), renderer_(std::make_unique<Renderer>()) {}

TextEngine::~TextEngine() {
  SelectObject(renderer_->dc, renderer_->original_font);  // before the fonts go
  fonts_.clear();
}

int TextEngine::OpenFont(const FontDesign& design) {
  return fonts_.Find(design, [&] {
    auto font = std::make_unique<Font>();
    font->design = design;
    std::u16string face = FromUtf8(design.family);
    if (!HasFamily(renderer_->dc, face)) {
      face = MessageFace();
      font->message_face = true;
    }
    LOGFONTW& logfont = font->logfont;
    logfont.lfWeight = design.weight;
    logfont.lfItalic = design.italic ? TRUE : FALSE;
    logfont.lfUnderline = design.underline ? TRUE : FALSE;
    logfont.lfStrikeOut = design.strikeout ? TRUE : FALSE;
    logfont.lfCharSet = DEFAULT_CHARSET;
    logfont.lfOutPrecision = OUT_TT_PRECIS;
    logfont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    // Smoothed as the user has asked of the system.
    logfont.lfQuality = DEFAULT_QUALITY;
    logfont.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    std::memcpy(logfont.lfFaceName, face.data(),
                std::min<std::size_t>(face.size(), LF_FACESIZE - 1) * sizeof(wchar_t));
    font->SetSize(scale_, renderer_->dc);
    return font;
  });
}

void TextEngine::SetScale(float scale) {
  // Fonts in the message face follow it when the user has changed it since.
  bool changed = scale != scale_;
  const std::u16string message_face = MessageFace();
  for (const auto& font : fonts_) {
    LOGFONTW& logfont = font->logfont;
    if (font->message_face && !message_face.empty() && message_face.size() < LF_FACESIZE &&
        message_face != reinterpret_cast<const char16_t*>(logfont.lfFaceName)) {
      std::fill(std::begin(logfont.lfFaceName), std::end(logfont.lfFaceName), L'\0');
      std::memcpy(logfont.lfFaceName, message_face.data(), message_face.size() * sizeof(wchar_t));
      changed = true;
    }
  }
  if (!changed) {
    return;
  }
  scale_ = scale;
  SelectObject(renderer_->dc, renderer_->original_font);
  for (const auto& font : fonts_) {
    font->SetSize(scale, renderer_->dc);
  }
}

PixelSize TextEngine::Measure(int font_handle, std::u16string_view text) {
  const Font& font = fonts_[font_handle];
  SIZE extent{};
  if (!text.empty()) {
    SelectObject(renderer_->dc, font.font);
    GetTextExtentPoint32W(renderer_->dc, Wide(text), static_cast<int>(text.size()), &extent);
  }
  return {static_cast<int>(extent.cx), font.height};
}

void TextEngine::Draw(Surface& target, int font_handle, std::u16string_view text, int x, int y,
                      Color color, const PixelRect& clip) {
  const Font& font = fonts_[font_handle];
  const PixelRect area = Intersect(clip, target.Bounds());
  if (area.empty() || text.empty()) {
    return;
  }
  Renderer& renderer = *renderer_;
  renderer.EnsureScratch({area.width, area.height});
  const PixelBuffer& pixels = target.Buffer();
  const auto row_bytes = static_cast<std::size_t>(area.width) * 4;
  const auto scratch_row = static_cast<std::size_t>(renderer.scratch_size.width);
  for (int row = 0; row < area.height; ++row) {
    std::memcpy(renderer.scratch_pixels + scratch_row * static_cast<std::size_t>(row),
                pixels.Row(area.y + row) + area.x, row_bytes);
  }
  SelectObject(renderer.dc, font.font);
  SetTextColor(renderer.dc, RGB(color.red, color.green, color.blue));
  const RECT inside{0, 0, area.width, area.height};
  ExtTextOutW(renderer.dc, x - area.x, y - area.y, ETO_CLIPPED, &inside, Wide(text),
              static_cast<UINT>(text.size()), nullptr);
  // GDI may batch its drawing: it must be done before the pixels are read back.
  GdiFlush();
  for (int row = 0; row < area.height; ++row) {
    std::uint32_t* to = pixels.Row(area.y + row) + area.x;
    std::memcpy(to, renderer.scratch_pixels + scratch_row * static_cast<std::size_t>(row),
                row_bytes);
    // GDI leaves the byte above the colour as it likes; the runtime's pixels keep it clear.
    for (int column = 0; column < area.width; ++column) {
      to[column] &= 0x00FFFFFFU;
    }
  }
}

}  // namespace rt
