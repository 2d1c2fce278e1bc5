#include "runtime/form_code.h"

#include <utility>

namespace rt {

void Events::OnLoad(std::string handler_name, Handler handler) {
  bindings_.push_back({std::move(handler_name), std::move(handler), nullptr});
}

void Events::OnTimer(const Timer& timer, std::string handler_name, Handler handler) {
  bindings_.push_back({std::move(handler_name), std::move(handler), &timer});
}

const Events::Binding* Events::Load() const {
  return Find(nullptr);
}

const Events::Binding* Events::ForTimer(const Timer& timer) const {
  return Find(&timer);
}

const Events::Binding* Events::Find(const Timer* timer) const {
  for (const Binding& binding : bindings_) {
    if (binding.timer == timer) {
      return &binding;
    }
  }
  return nullptr;
}

}  // namespace rt
