#pragma once

#include <gtk/gtk.h>

namespace brevinor {

/// Whether the X11 compositor of `display` casts its shadow under each window's whole rectangle,
/// whatever frame extents the window declares (xcompmgr). A see-through margin around the card
/// would show the body of that shadow there, so the card draws no shadow of its own then.
bool compositorShadowsWholeWindow(GdkDisplay* display);

}  // namespace brevinor
