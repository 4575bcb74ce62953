#include "platform/wayland_socket.h"

#include <sys/un.h>

namespace brevinor {

std::optional<std::string> waylandSocketPath(const char* display, const char* runtimeFolder) {
  if (!display || !*display) return std::nullopt;
  std::string path;
  if (*display == '/') {
    path = display;
  } else {
    if (!runtimeFolder || !*runtimeFolder) return std::nullopt;
    path = std::string(runtimeFolder) + "/" + display;
  }
  if (path.size() >= sizeof(sockaddr_un{}.sun_path)) return std::nullopt;
  return path;
}

}  // namespace brevinor
