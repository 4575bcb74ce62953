#include "app/wayland/blur_manager.h"

#include <gdk/gdkwayland.h>
#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "blur-client-protocol.h"

namespace brevinor {
namespace {

// The compositor answered GDK a moment ago and lists its globals within a millisecond; one that is
// stuck must not hold up the card, which is then shown unblurred and opaque enough.
constexpr auto kPatience = std::chrono::milliseconds(200);

struct Globals {
  org_kde_kwin_blur_manager* blur = nullptr;
  wl_compositor* compositor = nullptr;
  bool done = false;
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
  auto* g = static_cast<Globals*>(data);
  if (std::strcmp(interface, org_kde_kwin_blur_manager_interface.name) == 0 && !g->blur) {
    g->blur = static_cast<org_kde_kwin_blur_manager*>(
        wl_registry_bind(registry, name, &org_kde_kwin_blur_manager_interface, 1));
  } else if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !g->compositor) {
    g->compositor = static_cast<wl_compositor*>(
        wl_registry_bind(registry, name, &wl_compositor_interface, std::min(version, 4u)));
  }
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

void onDone(void* data, wl_callback*, uint32_t) {
  static_cast<Globals*>(data)->done = true;
}
const wl_callback_listener kDoneListener = {onDone};

/// Dispatches `queue` until `done` or the deadline: wl_display_roundtrip would wait for ever.
void dispatchUntil(wl_display* display, wl_event_queue* queue, const bool& done,
                   std::chrono::steady_clock::time_point deadline) {
  while (!done) {
    if (wl_display_flush(display) < 0 && errno != EAGAIN) return;
    if (wl_display_prepare_read_queue(display, queue) != 0) {
      if (wl_display_dispatch_queue_pending(display, queue) < 0) return;
      continue;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{wl_display_get_fd(display), POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      wl_display_cancel_read(display);
      if (left.count() <= 0) return;
      continue;  // interrupted: the deadline decides
    }
    if (wl_display_read_events(display) < 0 ||
        wl_display_dispatch_queue_pending(display, queue) < 0)
      return;
  }
}

}  // namespace

std::unique_ptr<BlurManager> BlurManager::offeredBy(GdkDisplay* gdkDisplay) {
  if (!GDK_IS_WAYLAND_DISPLAY(gdkDisplay) ||
      !gdk_wayland_display_query_registry(gdkDisplay, org_kde_kwin_blur_manager_interface.name))
    return nullptr;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  wl_display* display = gdk_wayland_display_get_wl_display(gdkDisplay);
  // A queue of its own: GDK's events stay on GDK's queue for its own loop.
  wl_event_queue* queue = wl_display_create_queue(display);
  auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
  Globals globals;
  wl_registry* registry = wl_display_get_registry(wrapper);
  wl_registry_add_listener(registry, &kRegistryListener, &globals);
  wl_callback* done = wl_display_sync(wrapper);
  wl_callback_add_listener(done, &kDoneListener, &globals);
  wl_proxy_wrapper_destroy(wrapper);
  dispatchUntil(display, queue, globals.done, deadline);
  wl_callback_destroy(done);
  wl_registry_destroy(registry);
  // Neither bound object gets events; off the queue that goes now.
  if (globals.blur) wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(globals.blur), nullptr);
  if (globals.compositor)
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(globals.compositor), nullptr);
  wl_event_queue_destroy(queue);
  if (globals.done && globals.blur && globals.compositor)
    return std::unique_ptr<BlurManager>(new BlurManager(globals.blur, globals.compositor));
  if (globals.blur) org_kde_kwin_blur_manager_destroy(globals.blur);
  if (globals.compositor) wl_compositor_destroy(globals.compositor);
  return nullptr;
}

BlurManager::~BlurManager() {
  if (blur_) org_kde_kwin_blur_release(blur_);
  org_kde_kwin_blur_manager_destroy(manager_);
  wl_compositor_destroy(compositor_);
}

void BlurManager::request(GdkWindow* window, const cairo_region_t* region) {
  if (!GDK_IS_WAYLAND_WINDOW(window) || cairo_region_is_empty(region)) return;
  wl_surface* surface = gdk_wayland_window_get_wl_surface(window);
  if (!surface) return;
  wl_region* area = wl_compositor_create_region(compositor_);
  for (int i = 0, n = cairo_region_num_rectangles(region); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region, i, &r);
    wl_region_add(area, r.x, r.y, r.width, r.height);
  }
  // The compositor drops the blur with the object: it is kept, one for the card's surface.
  if (!blur_) blur_ = org_kde_kwin_blur_manager_create(manager_, surface);
  org_kde_kwin_blur_set_region(blur_, area);
  org_kde_kwin_blur_commit(blur_);
  wl_region_destroy(area);
}

}  // namespace brevinor
