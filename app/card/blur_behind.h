#pragma once

#include <gtk/gtk.h>

namespace brevinor {

/// Where the compositor blurs what lies behind a window that asks for it (KWin, on X11 and on
/// Wayland), asks it to blur behind the rounded card of `window` (its widget of style class "card",
/// corners of `radius`) wherever the card is laid out, marks the window "blurred" for the style to
/// let more of the blur through, and returns true. `window` is composited and not yet realized.
bool blurBehindCard(GtkWindow* window, double radius);

}  // namespace brevinor
