#include "runtime/form.h"

#include <cmath>
#include <stdexcept>

#include "runtime/run_time_error.h"

namespace rt {

namespace {

int ToPixels(Twips twips, Twips per_pixel) {
  return static_cast<int>(std::lround(twips / per_pixel));
}

template <class Control>
Control& Find(const std::vector<std::unique_ptr<Control>>& controls, std::string_view name,
              const std::string& form) {
  for (const auto& control : controls) {
    if (control->Name() == name) {
      return *control;
    }
  }
  throw std::logic_error(form + " has no control named " + std::string(name));
}

}  // namespace

Form::Form(const FormDesign& design, TextMeasurer& measurer, const Clock& clock, Random& random,
           Twips twips_per_pixel)
    : name_(design.name),
      caption_(design.caption),
      border_(design.border),
      back_color_(design.back_color),
      twips_per_pixel_(twips_per_pixel),
      client_{ToPixels(design.client_width, twips_per_pixel),
              ToPixels(design.client_height, twips_per_pixel)},
      random_(random) {
  for (const TimerDesign& timer : design.timers) {
    timers_.push_back(std::make_unique<Timer>(*this, timer, clock));
  }
  for (const LabelDesign& label : design.labels) {
    labels_.push_back(std::make_unique<Label>(*this, label, measurer));
  }
}

void Form::CheckLoaded(const char* member) const {
  if (!loaded_) {
    RaisePropertyError(name_, member, "the form is unloaded");
  }
}

Twips Form::Width() const {
  CheckLoaded("Width");
  return static_cast<Twips>(client_.width) * twips_per_pixel_;
}

Twips Form::Height() const {
  CheckLoaded("Height");
  return static_cast<Twips>(client_.height) * twips_per_pixel_;
}

Label& Form::LabelNamed(std::string_view name) {
  return Find(labels_, name, name_);
}

Timer& Form::TimerNamed(std::string_view name) {
  return Find(timers_, name, name_);
}

void Form::WindowResized(PixelSize client) {
  if (client != client_) {
    client_ = client;
    invalidated_ = true;
  }
}

void Form::Rescale(Twips twips_per_pixel, PixelSize client) {
  twips_per_pixel_ = twips_per_pixel;
  client_ = client;
  for (const auto& label : labels_) {
    label->Refit();
  }
  invalidated_ = true;
}

bool Form::TakeInvalidated() {
  const bool was = invalidated_;
  invalidated_ = false;
  return was;
}

}  // namespace rt
