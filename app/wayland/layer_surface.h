#pragma once

#include <gtk/gtk.h>

namespace brevinor {

/// Makes `window`, not yet realized, the card as a layer surface: anchored to the top right
/// corner `margin` from the edges (further down, `spacing` apart, below the cards of the user's
/// other runs: its place is claimed when the window is realized and held until the process
/// ends), on every workspace, never moved by the compositor or the user, never given the keyboard,
/// no room taken from other windows, no taskbar entry. It starts on the top layer: above the
/// user's windows, as a new window maps, but below a full-screen one.
void makeLayerSurface(GtkWindow* window, int margin, int spacing);

/// One second after this call the surface moves to the overlay layer, above every window,
/// full-screen ones too: the same first second as the X11 card, which stays above only then.
void raiseToOverlayAfterOneSecond(GtkWindow* window);

/// Calls `gone` as soon as the compositor of `display` closes the connection, before GDK's own
/// handling would print a message of its own and end the process.
void onCompositorGone(GdkDisplay* display, void (*gone)());

}  // namespace brevinor
