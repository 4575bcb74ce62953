#pragma once

#include <optional>
#include <string>

namespace brevinor {

/// The socket of the Wayland compositor that WAYLAND_DISPLAY (`display`) names, as a Wayland
/// client finds it: a name lies in XDG_RUNTIME_DIR (`runtimeFolder`), an absolute path is taken
/// as it is. None when the variable is unset or empty, a name has no runtime folder, or the path
/// does not fit a socket address: the session then has no compositor to ask.
std::optional<std::string> waylandSocketPath(const char* display, const char* runtimeFolder);

}  // namespace brevinor
