#include "runtime/painter.h"

#include <SDL.h>

#include <algorithm>

#include "runtime/form.h"
#include "runtime/text_engine.h"

namespace rt {

namespace {

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width);
  const int bottom = std::min(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

SDL_Rect ToSdl(const PixelRect& rect) {
  return {rect.x, rect.y, rect.width, rect.height};
}

}  // namespace

std::span<const PixelRect> Painter::Paint(const Form& form, SDL_Surface* target, bool everything) {
  const PixelRect whole{0, 0, target->w, target->h};
  const auto& labels = form.Labels();
  damage_.clear();
  if (everything || size_ != PixelSize{target->w, target->h} || drawn_.size() != labels.size()) {
    size_ = {target->w, target->h};
    drawn_.assign(labels.size(), Drawn{});
    damage_.push_back(whole);
  }
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const Label& label = *labels[i];
    Drawn& drawn = drawn_[i];
    if (!damage_.empty() && damage_.front() == whole) {
      drawn = {label.Visible() ? label.PixelBounds() : PixelRect{}, label.Version()};
      continue;
    }
    if (drawn.version == label.Version()) {
      continue;
    }
    const PixelRect now = label.Visible() ? label.PixelBounds() : PixelRect{};
    // A label that moved a little is cheaper to repaint as one region than as two.
    PixelRect old_area = Intersect(drawn.rect, whole);
    PixelRect new_area = Intersect(now, whole);
    if (!old_area.empty() && !new_area.empty() && !Intersect(old_area, new_area).empty()) {
      new_area = Union(old_area, new_area);
      old_area = {};
    }
    for (const PixelRect& area : {old_area, new_area}) {
      if (!area.empty()) {
        damage_.push_back(area);
      }
    }
    drawn = {now, label.Version()};
  }
  for (const PixelRect& area : damage_) {
    Repaint(form, target, area);
  }
  SDL_SetClipRect(target, nullptr);
  return damage_;
}

void Painter::Repaint(const Form& form, SDL_Surface* target, const PixelRect& area) {
  const SDL_Rect clip = ToSdl(area);
  SDL_SetClipRect(target, &clip);
  const Color back = form.BackColor();
  SDL_FillRect(target, &clip, SDL_MapRGB(target->format, back.red, back.green, back.blue));
  for (const auto& label : form.Labels()) {
    if (!label->Visible()) {
      continue;
    }
    const PixelRect bounds = label->PixelBounds();
    const PixelRect visible = Intersect(bounds, area);
    if (visible.empty()) {
      continue;
    }
    // Glyphs that overhang their label are cut at its edge, so a label owns exactly its
    // rectangle and repainting that rectangle is always enough to erase it.
    const SDL_Rect label_clip = ToSdl(visible);
    SDL_SetClipRect(target, &label_clip);
    text_.Draw(target, label->FontHandle(), label->Caption(), bounds.x, bounds.y,
               label->ForeColor());
  }
}

}  // namespace rt
