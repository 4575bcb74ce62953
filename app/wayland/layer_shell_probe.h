#pragma once

#include <string>

namespace brevinor {

/// Whether the compositor listening at `socketPath` offers layer surfaces (zwlr_layer_shell_v1):
/// it is asked for its globals on a connection of its own, closed again. A compositor that does
/// not accept or answer within the patience counts as not offering them.
bool compositorOffersLayerShell(const std::string& socketPath);

}  // namespace brevinor
