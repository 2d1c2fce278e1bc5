/* A weston module for the display tests: SIGUSR2 to weston sends the window-close request
 * (xdg_toplevel.close) to the topmost window, as a desktop's close command would. Weston's own
 * shell has no binding that does: its only one kills the client. */
#include <libweston-desktop/libweston-desktop.h>
#include <libweston/libweston.h>
#include <signal.h>

static int close_topmost(int signal_number, void *data) {
  struct weston_compositor *compositor = data;
  struct weston_view *view;
  (void)signal_number;
  wl_list_for_each(view, &compositor->view_list, link) {
    if (weston_surface_is_desktop_surface(view->surface)) {
      weston_desktop_surface_close(weston_surface_get_desktop_surface(view->surface));
      break;
    }
  }
  return 0;
}

WL_EXPORT int wet_module_init(struct weston_compositor *compositor, int *argc, char *argv[]);

WL_EXPORT int wet_module_init(struct weston_compositor *compositor, int *argc, char *argv[]) {
  (void)argc;
  (void)argv;
  struct wl_event_loop *loop = wl_display_get_event_loop(compositor->wl_display);
  return wl_event_loop_add_signal(loop, SIGUSR2, close_topmost, compositor) ? 0 : -1;
}
