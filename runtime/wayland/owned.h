// Wayland objects owned by one C++ object and destroyed with it.
#pragma once

#include <wayland-client.h>

#include <memory>

#include "fractional-scale-v1-client.h"
#include "viewporter-client.h"
#include "xdg-decoration-unstable-v1-client.h"
#include "xdg-shell-client.h"

namespace rt::wayland {

// How each kind of proxy is let go: its protocol's destroy or release request.
inline void Destroy(wl_registry* p) {
  wl_registry_destroy(p);
}
inline void Destroy(wl_compositor* p) {
  wl_compositor_destroy(p);
}
inline void Destroy(wl_shm* p) {
  wl_shm_destroy(p);
}
inline void Destroy(wl_shm_pool* p) {
  wl_shm_pool_destroy(p);
}
inline void Destroy(wl_buffer* p) {
  wl_buffer_destroy(p);
}
inline void Destroy(wl_surface* p) {
  wl_surface_destroy(p);
}
inline void Destroy(wl_callback* p) {
  wl_callback_destroy(p);
}
inline void Destroy(wl_output* p) {
  wl_output_destroy(p);
}
inline void Destroy(wl_seat* p) {
  wl_seat_destroy(p);
}
inline void Destroy(wl_keyboard* p) {
  wl_keyboard_release(p);
}
inline void Destroy(wl_pointer* p) {
  wl_pointer_release(p);
}
inline void Destroy(xdg_wm_base* p) {
  xdg_wm_base_destroy(p);
}
inline void Destroy(xdg_surface* p) {
  xdg_surface_destroy(p);
}
inline void Destroy(xdg_toplevel* p) {
  xdg_toplevel_destroy(p);
}
inline void Destroy(wp_viewporter* p) {
  wp_viewporter_destroy(p);
}
inline void Destroy(wp_viewport* p) {
  wp_viewport_destroy(p);
}
inline void Destroy(wp_fractional_scale_manager_v1* p) {
  wp_fractional_scale_manager_v1_destroy(p);
}
inline void Destroy(wp_fractional_scale_v1* p) {
  wp_fractional_scale_v1_destroy(p);
}
inline void Destroy(zxdg_decoration_manager_v1* p) {
  zxdg_decoration_manager_v1_destroy(p);
}
inline void Destroy(zxdg_toplevel_decoration_v1* p) {
  zxdg_toplevel_decoration_v1_destroy(p);
}

struct ProxyDelete {
  template <class T>
  void operator()(T* proxy) const noexcept {
    Destroy(proxy);
  }
};

template <class T>
using Owned = std::unique_ptr<T, ProxyDelete>;

}  // namespace rt::wayland
