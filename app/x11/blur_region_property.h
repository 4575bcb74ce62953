#pragma once

#include <gtk/gtk.h>

namespace brevinor {

/// Whether the X11 compositor of `display` blurs what lies behind a window that asks: KWin
/// announces its blur by putting the request's property on the root window while the effect runs.
bool x11CompositorBlurs(GdkDisplay* display);

/// Asks the compositor to blur what lies behind `region` of `window`, in the window's pixels. An
/// empty region would mean the whole window: nothing is asked then.
void requestX11Blur(GdkWindow* window, const cairo_region_t* region);

}  // namespace brevinor
