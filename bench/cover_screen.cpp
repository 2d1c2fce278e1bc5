// Covers the whole screen of the X server DISPLAY names with a window of its own, so that no
// other window can be seen, until it is ended (SIGTERM): what the benchmark measures an unseen
// Tarvel with.
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>

int main() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "tarvel_cover_screen: cannot open the display\n");
    return 2;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t cover = xcb_generate_id(c);
  // Left alone by any window manager, and white.
  const std::uint32_t values[] = {screen->white_pixel, 1};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, cover, screen->root, 0, 0, screen->width_in_pixels,
                    screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(c, cover);
  xcb_flush(c);
  pause();
  xcb_disconnect(c);
  return 0;
}
