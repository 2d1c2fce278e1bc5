/* A weston module for the display tests: SIGUSR2 to weston sends the window-close request
 * (xdg_toplevel.close) to the topmost window, as a desktop's close command would. Weston's own
 * shell has no binding that does: its only one kills the client. SIGUSR1 takes the topmost
 * window off the output (as a desktop minimising it would: it is no longer drawn, and gets no
 * frame callbacks) and, the next time, puts it back. */
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

/* The window taken off, and the layer it came from; none while every window shows. */
static struct weston_view *hidden_view;
static struct weston_layer *hidden_from;
static struct wl_listener hidden_destroyed;

static void forget_hidden(struct wl_listener *listener, void *data) {
  (void)listener;
  (void)data;
  wl_list_remove(&hidden_destroyed.link);
  hidden_view = NULL;
}

static int hide_or_show_topmost(int signal_number, void *data) {
  struct weston_compositor *compositor = data;
  struct weston_view *view;
  (void)signal_number;
  if (hidden_view) {
    weston_layer_entry_insert(&hidden_from->view_list, &hidden_view->layer_link);
    weston_view_geometry_dirty(hidden_view);
    weston_surface_damage(hidden_view->surface);
    wl_list_remove(&hidden_destroyed.link);
    hidden_view = NULL;
    weston_compositor_schedule_repaint(compositor);
    return 0;
  }
  wl_list_for_each(view, &compositor->view_list, link) {
    if (weston_surface_is_desktop_surface(view->surface)) {
      hidden_view = view;
      hidden_from = view->layer_link.layer;
      weston_view_damage_below(view);
      weston_layer_entry_remove(&view->layer_link);
      weston_view_geometry_dirty(view);
      hidden_destroyed.notify = forget_hidden;
      wl_signal_add(&view->destroy_signal, &hidden_destroyed);
      weston_compositor_schedule_repaint(compositor);
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
  if (!wl_event_loop_add_signal(loop, SIGUSR2, close_topmost, compositor)) {
    return -1;
  }
  return wl_event_loop_add_signal(loop, SIGUSR1, hide_or_show_topmost, compositor) ? 0 : -1;
}
