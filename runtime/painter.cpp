#include "runtime/painter.h"

#include <algorithm>

#include "runtime/form.h"
#include "runtime/surface.h"
#include "runtime/text_engine.h"

namespace rt {

namespace {

// Double buffering needs two; a resize may briefly leave old ones behind.
constexpr std::size_t kSurfacesKept = 4;

}  // namespace

Painter::Painter(TextEngine& text) : text_(text) {}

Painter::~Painter() = default;

Surface& Painter::SurfaceFor(const PixelBuffer& buffer) {
  for (const auto& surface : surfaces_) {
    if (surface->Wraps(buffer)) {
      return *surface;
    }
  }
  if (surfaces_.size() == kSurfacesKept) {
    surfaces_.erase(surfaces_.begin());
  }
  surfaces_.push_back(std::make_unique<Surface>(buffer));
  return *surfaces_.back();
}

std::span<const PixelRect> Painter::Paint(const Form& form, const PixelBuffer& target,
                                          bool everything) {
  Surface& surface = SurfaceFor(target);
  const PixelRect whole = surface.Bounds();
  const auto& labels = form.Labels();
  damage_.clear();
  if (everything || size_ != PixelSize{target.width, target.height} ||
      drawn_.size() != labels.size()) {
    size_ = {target.width, target.height};
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
    if (!Intersect(old_area, new_area).empty()) {
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
    Repaint(form, surface, area);
  }
  return damage_;
}

void Painter::Repaint(const Form& form, Surface& target, const PixelRect& area) {
  target.Fill(area, form.BackColor());
  for (const auto& label : form.Labels()) {
    if (!label->Visible()) {
      continue;
    }
    const PixelRect bounds = label->PixelBounds();
    // Glyphs that overhang their label are cut at its edge, so a label owns exactly its
    // rectangle and repainting that rectangle is always enough to erase it.
    const PixelRect visible = Intersect(bounds, area);
    if (!visible.empty()) {
      text_.Draw(target, label->FontHandle(), label->Caption(), bounds.x, bounds.y,
                 label->ForeColor(), visible);
    }
  }
}

}  // namespace rt
