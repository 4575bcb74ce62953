#include "platform/wayland_socket.h"

#include <gtest/gtest.h>

using namespace brevinor;

TEST(WaylandSocketTest, OnlyANamedCompositorThatCanBeReachedIsAsked) {
  const std::string tooLong(108, 'w'), run = "/run/user/1000";
  const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
      {nullptr, run.c_str(), std::nullopt},  // no Wayland session: not wayland-0 regardless
      {"", run.c_str(), std::nullopt},      {"wayland-1", run.c_str(), run + "/wayland-1"},
      {"wayland-1", nullptr, std::nullopt}, {"wayland-1", "", std::nullopt},
      {"/tmp/sock", nullptr, "/tmp/sock"},  {tooLong.c_str(), "/r", std::nullopt},
  };
  for (const auto& [display, runtime, socket] : cases) {
    EXPECT_EQ(waylandSocketPath(display, runtime), socket) << (display ? display : "unset");
  }
}
