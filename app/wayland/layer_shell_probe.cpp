#include "app/wayland/layer_shell_probe.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace brevinor {
namespace {

// A compositor lists its globals within a millisecond (sway 1.7 headless: well under 1 ms); one
// that is stuck must not hold up the card, which then takes the X11 path or the fallback.
constexpr auto kPatience = std::chrono::milliseconds(500);

struct Answer {
  bool layerShell = false;
  bool done = false;
};

void onGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
  if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0)
    static_cast<Answer*>(data)->layerShell = true;
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

void onDone(void* data, wl_callback*, uint32_t) {
  static_cast<Answer*>(data)->done = true;
}
const wl_callback_listener kDoneListener = {onDone};

/// Waits for `events` on `fd` until `deadline`; false on time-out or error.
bool awaitFd(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, events, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready > 0) return (p.revents & events) != 0;
    if (ready < 0 && errno != EINTR) return false;
  }
}

/// A socket connected to `path` within the deadline, or -1. Connected by hand, not by
/// wl_display_connect: that one would take WAYLAND_SOCKET (meant for GDK's one connection) and
/// cannot be bounded.
int connectWithin(const std::string& path, std::chrono::steady_clock::time_point deadline) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ||
      (errno == EAGAIN && awaitFd(fd, POLLOUT, deadline))) {
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) return fd;
  }
  close(fd);
  return -1;
}

}  // namespace

bool compositorOffersLayerShell(const std::string& socketPath) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  const int fd = connectWithin(socketPath, deadline);
  if (fd < 0) return false;
  wl_display* display = wl_display_connect_to_fd(fd);  // owns fd from here on
  if (!display) {
    close(fd);
    return false;
  }
  Answer answer;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &answer);
  wl_callback* done = wl_display_sync(display);
  wl_callback_add_listener(done, &kDoneListener, &answer);
  // wl_display_roundtrip would wait for ever: read only what has come within the deadline.
  while (!answer.done) {
    if (wl_display_flush(display) < 0 && errno != EAGAIN) break;
    if (wl_display_prepare_read(display) != 0) {
      if (wl_display_dispatch_pending(display) < 0) break;
      continue;
    }
    if (!awaitFd(wl_display_get_fd(display), POLLIN, deadline)) {
      wl_display_cancel_read(display);
      break;
    }
    if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) break;
  }
  wl_callback_destroy(done);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return answer.done && answer.layerShell;
}

}  // namespace brevinor
