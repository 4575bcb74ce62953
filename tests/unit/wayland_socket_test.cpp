#include "platform/wayland_socket.h"

#include <gtest/gtest.h>

#include <string>

using namespace brevinor;

TEST(WaylandSocketTest, OnlyANamedCompositorThatCanBeReachedIsAsked) {
  const std::string tooLong(108, 'w');
  const struct {
    const char *display, *runtime;
    std::optional<std::string> socket;
  } cases[] = {
      {nullptr, "/run/user/1000", std::nullopt},  // no Wayland session: not wayland-0 regardless
      {"", "/run/user/1000", std::nullopt},
      {"wayland-1", "/run/user/1000", "/run/user/1000/wayland-1"},
      {"wayland-1", nullptr, std::nullopt},
      {"wayland-1", "", std::nullopt},
      {"/tmp/sock", nullptr, "/tmp/sock"},
      {tooLong.c_str(), "/r", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(waylandSocketPath(c.display, c.runtime), c.socket);
}
