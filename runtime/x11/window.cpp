#include "runtime/x11/window.h"

#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "runtime/native/buffer_pair.h"
#include "runtime/native/shared_memory.h"
#include "runtime/rect.h"

namespace rt::x11 {

namespace {

// WM_CLASS, instance and class: the desktop entry's StartupWMClass matches it to the menu.
constexpr char kClass[] = "tarvel\0tarvel";

std::uint32_t Pixel(Color color) {
  return (std::uint32_t{color.red} << 16) | (std::uint32_t{color.green} << 8) | color.blue;
}

std::size_t Bytes(PixelSize size) {
  return static_cast<std::size_t>(size.width) * 4 * static_cast<std::size_t>(size.height);
}

}  // namespace

// Two buffers at one size: halves of one shared segment, or of ordinary memory.
struct Window::Buffers {
  PixelSize size;
  std::unique_ptr<SharedMemory> shared;
  xcb_shm_seg_t segment = 0;  // 0 when the pixels go over the wire
  std::vector<std::uint32_t> plain;
  std::unique_ptr<BufferPair> pair;
  xcb_connection_t* connection = nullptr;

  Buffers(xcb_connection_t* c, PixelSize buffer_size, bool try_shared)
      : size(buffer_size), connection(c) {
    std::uint32_t* base = nullptr;
    if (try_shared) {
      shared = std::make_unique<SharedMemory>(2 * Bytes(size));
      segment = xcb_generate_id(c);
      // XCB closes the descriptor it sends; the memory keeps its own.
      const int fd = dup(shared->fd());
      xcb_generic_error_t* error =
          fd < 0 ? nullptr : xcb_request_check(c, xcb_shm_attach_fd_checked(c, segment, fd, 0));
      if (fd < 0 || error) {
        std::free(error);
        shared.reset();
        segment = 0;
      } else {
        base = static_cast<std::uint32_t*>(shared->data());
      }
    }
    if (!shared) {
      plain.assign(2 * Bytes(size) / 4, 0);
      base = plain.data();
    }
    const std::size_t half = Bytes(size) / 4;
    pair = std::make_unique<BufferPair>(
        PixelBuffer{base, size.width, size.height, size.width * 4},
        PixelBuffer{base + half, size.width, size.height, size.width * 4});
  }
  ~Buffers() {
    if (segment != 0) {
      xcb_shm_detach(connection, segment);
    }
  }
  Buffers(const Buffers&) = delete;
  Buffers& operator=(const Buffers&) = delete;

  std::uint32_t Offset(int index) const {
    return static_cast<std::uint32_t>(Bytes(size) * static_cast<std::size_t>(index));
  }
};

Window::Window(Connection& connection, WindowId id, const WindowSpec& wanted, const Window* parent,
               std::vector<WindowEvent>& events)
    : connection_(connection),
      events_(events),
      id_(id),
      dialog_(wanted.role == WindowSpec::Role::kDialog),
      size_{std::max(wanted.client.width, 1), std::max(wanted.client.height, 1)} {
  xcb_connection_t* c = connection.get();
  // Centred on the primary output, or over the middle of its parent.
  PixelRect around = connection.Workarea();
  if (parent) {
    const auto geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, parent->window_), nullptr);
    const auto place = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, parent->window_, connection.screen().root, 0, 0), nullptr);
    if (geometry && place) {
      around = {place->dst_x, place->dst_y, geometry->width, geometry->height};
    }
    std::free(geometry);
    std::free(place);
  }
  const int x = around.x + (around.width - size_.width) / 2;
  const int y = around.y + (around.height - size_.height) / 2;
  window_ = xcb_generate_id(c);
  // Whether it can be seen, too: mapped, not fully covered, not iconified.
  std::uint32_t events_wanted = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                XCB_EVENT_MASK_VISIBILITY_CHANGE | XCB_EVENT_MASK_PROPERTY_CHANGE;
  if (dialog_) {
    // A form takes no input; the error box answers keys and clicks.
    events_wanted |=
        XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE;
  }
  const std::uint32_t values[] = {Pixel(wanted.back_color), 0, events_wanted,
                                  connection.colormap()};
  xcb_create_window(c, 24, window_, connection.screen().root, static_cast<std::int16_t>(x),
                    static_cast<std::int16_t>(y), static_cast<std::uint16_t>(size_.width),
                    static_cast<std::uint16_t>(size_.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    connection.visual(),
                    XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                    values);
  const std::uint32_t no_exposures[] = {0};
  gc_ = xcb_generate_id(c);
  xcb_create_gc(c, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, no_exposures);
  SetProperties(wanted, parent, x, y);
}

Window::~Window() {
  xcb_connection_t* c = connection_.get();
  buffers_.reset();
  retired_.clear();
  xcb_free_gc(c, gc_);
  xcb_destroy_window(c, window_);
  xcb_flush(c);
}

void Window::SetProperties(const WindowSpec& wanted, const Window* parent, int x, int y) {
  xcb_connection_t* c = connection_.get();
  const Atoms& atoms = connection_.atoms();
  auto set = [&](xcb_atom_t property, xcb_atom_t type, std::uint8_t format, std::size_t count,
                 const void* data) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, property, type, format,
                        static_cast<std::uint32_t>(count), data);
  };
  set(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, wanted.title.size(), wanted.title.data());
  set(atoms.net_wm_name, atoms.utf8_string, 8, wanted.title.size(), wanted.title.data());
  set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof kClass, kClass);
  const auto pid = static_cast<std::uint32_t>(getpid());
  set(atoms.net_wm_pid, XCB_ATOM_CARDINAL, 32, 1, &pid);
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    set(XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8, std::strlen(host), host);
  }
  set(atoms.wm_protocols, XCB_ATOM_ATOM, 32, 1, &atoms.wm_delete_window);
  const xcb_atom_t type =
      dialog_ ? atoms.net_wm_window_type_dialog : atoms.net_wm_window_type_normal;
  set(atoms.net_wm_window_type, XCB_ATOM_ATOM, 32, 1, &type);
  if (!wanted.border) {
    // Motif's hints: flags (2, decorations given), functions, decorations (none), input mode,
    // status.
    const std::uint32_t motif[] = {2, 0, 0, 0, 0};
    set(atoms.motif_wm_hints, atoms.motif_wm_hints, 32, 5, motif);
  }
  if (!wanted.icon.argb.empty()) {
    std::vector<std::uint32_t> icon;
    icon.reserve(2 + wanted.icon.argb.size());
    icon.push_back(static_cast<std::uint32_t>(wanted.icon.width));
    icon.push_back(static_cast<std::uint32_t>(wanted.icon.height));
    icon.insert(icon.end(), wanted.icon.argb.begin(), wanted.icon.argb.end());
    set(atoms.net_wm_icon, XCB_ATOM_CARDINAL, 32, icon.size(), icon.data());
  }
  if (parent) {
    xcb_icccm_set_wm_transient_for(c, window_, parent->window_);
  }
  // Where it was put, and a size of its own that is not for resizing.
  xcb_size_hints_t size{};
  xcb_icccm_size_hints_set_position(&size, 0, x, y);
  xcb_icccm_size_hints_set_size(&size, 0, size_.width, size_.height);
  xcb_icccm_size_hints_set_min_size(&size, size_.width, size_.height);
  xcb_icccm_size_hints_set_max_size(&size, size_.width, size_.height);
  xcb_icccm_set_wm_normal_hints(c, window_, &size);
  xcb_icccm_wm_hints_t hints{};
  xcb_icccm_wm_hints_set_input(&hints, 1);
  xcb_icccm_wm_hints_set_normal(&hints);
  xcb_icccm_set_wm_hints(c, window_, &hints);
}

bool Window::CanPresent() const {
  return !buffers_ || buffers_->size != size_ || buffers_->pair->AnyFree();
}

PixelBuffer Window::Buffer() {
  if (!buffers_ || buffers_->size != size_) {
    if (buffers_ && buffers_->pair->AnyBusy()) {
      retired_.push_back(std::move(buffers_));
    }
    buffers_ = std::make_unique<Buffers>(connection_.get(), size_, connection_.HasSharedMemory());
    front_ = -1;
  }
  acquired_ = buffers_->pair->Acquire();
  if (acquired_ < 0) {
    throw PlatformError("drawing while the X server reads both buffers");
  }
  return buffers_->pair->At(acquired_);
}

void Window::Present(std::span<const PixelRect> damage) {
  if (acquired_ < 0) {
    return;
  }
  const int index = acquired_;
  acquired_ = -1;
  const PixelRect whole{0, 0, buffers_->size.width, buffers_->size.height};
  const PixelRect all[] = {whole};
  if (!mapped_) {
    // Shown with its first frame, so it never appears unpainted.
    xcb_map_window(connection_.get(), window_);
    mapped_ = true;
    damage = all;
  }
  buffers_->pair->Presented(index, damage);
  front_ = index;
  for (std::size_t i = 0; i < damage.size(); ++i) {
    Send(*buffers_, index, Intersect(damage[i], whole), i + 1 == damage.size());
  }
  if (damage.empty() || buffers_->segment == 0) {
    buffers_->pair->Release(index);  // nothing is left for the server to read
  }
}

void Window::Send(const Buffers& buffers, int index, const PixelRect& area, bool notify) {
  if (area.empty()) {
    if (notify && buffers.segment != 0) {
      buffers_->pair->Release(index);
    }
    return;
  }
  xcb_connection_t* c = connection_.get();
  const auto w = static_cast<std::uint16_t>(buffers.size.width);
  const auto h = static_cast<std::uint16_t>(buffers.size.height);
  if (buffers.segment != 0) {
    // The server reads the pixels from shared memory; its completion event frees the buffer.
    xcb_shm_put_image(c, window_, gc_, w, h, static_cast<std::uint16_t>(area.x),
                      static_cast<std::uint16_t>(area.y), static_cast<std::uint16_t>(area.width),
                      static_cast<std::uint16_t>(area.height), static_cast<std::int16_t>(area.x),
                      static_cast<std::int16_t>(area.y), 24, XCB_IMAGE_FORMAT_Z_PIXMAP,
                      notify ? 1 : 0, buffers.segment, buffers.Offset(index));
    return;
  }
  // Over the wire: the region's rows packed together, in as many requests as the server's
  // request size allows.
  const PixelBuffer& from = buffers.pair->At(index);
  const std::size_t row_bytes = static_cast<std::size_t>(area.width) * 4;
  const std::size_t limit = static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4 - 64;
  const int rows_per_request = std::max(1, static_cast<int>(limit / row_bytes));
  for (int top = area.y; top < area.y + area.height; top += rows_per_request) {
    const int rows = std::min(rows_per_request, area.y + area.height - top);
    wire_.resize(row_bytes * static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
      std::memcpy(wire_.data() + row_bytes * static_cast<std::size_t>(r),
                  from.Row(top + r) + area.x, row_bytes);
    }
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                  static_cast<std::uint16_t>(area.width), static_cast<std::uint16_t>(rows),
                  static_cast<std::int16_t>(area.x), static_cast<std::int16_t>(top), 0, 24,
                  static_cast<std::uint32_t>(wire_.size()), wire_.data());
  }
}

void Window::Exposed(const PixelRect& area) {
  // The window shows what the last frame holds; the runtime need not paint it again.
  if (buffers_ && front_ >= 0 && buffers_->size == size_) {
    Send(*buffers_, front_, Intersect(area, {0, 0, size_.width, size_.height}), false);
  }
}

void Window::Configured(int width, int height) {
  if (width == size_.width && height == size_.height) {
    return;
  }
  size_ = {width, height};
  events_.push_back({.kind = WindowEvent::Kind::kResized, .window = id_, .size = size_});
}

void Window::Completed(std::uint32_t segment, std::uint32_t offset) {
  for (const auto& buffers : retired_) {
    if (buffers->segment == segment) {
      buffers->pair->Release(offset == 0 ? 0 : 1);
    }
  }
  std::erase_if(retired_, [](const std::unique_ptr<Buffers>& b) { return !b->pair->AnyBusy(); });
  if (buffers_ && buffers_->segment == segment) {
    const bool was_waiting = !buffers_->pair->AnyFree();
    buffers_->pair->Release(offset == 0 ? 0 : 1);
    if (was_waiting) {
      events_.push_back({.kind = WindowEvent::Kind::kFrameReady, .window = id_});
    }
  }
}

}  // namespace rt::x11
