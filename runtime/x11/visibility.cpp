#include "runtime/x11/visibility.h"

#include <cstdlib>
#include <memory>

namespace rt::x11 {

namespace {

constexpr std::uint32_t kIconicState = 3;  // ICCCM's WM_STATE value for an iconified window

struct Free {
  void operator()(void* reply) const { std::free(reply); }
};

}  // namespace

bool Visibility::Set(bool Visibility::*piece, bool value) {
  const bool before = Seen();
  this->*piece = value;
  return Seen() != before;
}

bool Visibility::PropertyChanged(const Connection& connection, xcb_window_t window,
                                 xcb_atom_t property) {
  const Atoms& atoms = connection.atoms();
  if (property != atoms.wm_state && property != atoms.net_wm_state) {
    return false;
  }
  xcb_connection_t* c = connection.get();
  // A round trip, but only when the window manager changes its mind.
  const std::unique_ptr<xcb_get_property_reply_t, Free> reply(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr));
  const int length =
      reply && reply->format == 32 ? xcb_get_property_value_length(reply.get()) / 4 : 0;
  const auto* values =
      length > 0 ? static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())) : nullptr;
  if (property == atoms.wm_state) {
    return Set(&Visibility::iconic_, values != nullptr && values[0] == kIconicState);
  }
  bool hidden = false;
  for (int i = 0; i < length; ++i) {
    hidden = hidden || values[i] == atoms.net_wm_state_hidden;
  }
  return Set(&Visibility::hidden_, hidden);
}

}  // namespace rt::x11
