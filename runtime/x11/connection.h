// The connection to an X server and what Tarvel learns of it once, at start: its screen and a
// true-colour visual, the atoms it names window properties with, the primary output's place
// and refresh rate (RandR), whether pixels can be shared (MIT-SHM), and the keyboard's map.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <string>

#include "runtime/backend.h"

namespace rt::x11 {

struct Atoms {
  xcb_atom_t wm_protocols = 0;
  xcb_atom_t wm_delete_window = 0;
  xcb_atom_t net_wm_name = 0;
  xcb_atom_t utf8_string = 0;
  xcb_atom_t net_wm_pid = 0;
  xcb_atom_t net_wm_icon = 0;
  xcb_atom_t net_wm_window_type = 0;
  xcb_atom_t net_wm_window_type_normal = 0;
  xcb_atom_t net_wm_window_type_dialog = 0;
  xcb_atom_t motif_wm_hints = 0;
  xcb_atom_t wm_state = 0;  // set by the window manager: normal, or iconified
  xcb_atom_t net_wm_state = 0;
  xcb_atom_t net_wm_state_hidden = 0;
};

class Connection {
 public:
  // Connects to the X server DISPLAY names. Throws PlatformError ("cannot open a display: ...")
  // when there is none, or it offers no 24-bit true-colour visual in the pixel layout we draw.
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  xcb_connection_t* get() const { return connection_; }
  const xcb_screen_t& screen() const { return *screen_; }
  xcb_visualid_t visual() const { return visual_; }
  xcb_colormap_t colormap() const { return colormap_; }
  const Atoms& atoms() const { return atoms_; }
  // Where windows are centred: the primary output, or the whole screen without one.
  PixelRect Workarea() const { return workarea_; }
  // The primary output's refresh rate in mHz, 0 when unknown (as on a virtual server).
  int RefreshMilliHz() const { return refresh_mhz_; }
  bool HasSharedMemory() const { return shared_memory_; }
  float Scale() const { return scale_; }
  xcb_keysym_t KeysymOf(xcb_keycode_t code) const;

  // Throws the PlatformError for a broken connection when it is broken.
  void CheckAlive() const;

 private:
  void FindVisual();
  void QueryOutputs();

  xcb_connection_t* connection_ = nullptr;
  const xcb_screen_t* screen_ = nullptr;
  xcb_visualid_t visual_ = 0;
  xcb_colormap_t colormap_ = 0;
  Atoms atoms_;
  PixelRect workarea_;
  int refresh_mhz_ = 0;
  bool shared_memory_ = false;
  float scale_ = 1.0F;
  xcb_key_symbols_t* key_symbols_ = nullptr;
};

}  // namespace rt::x11
