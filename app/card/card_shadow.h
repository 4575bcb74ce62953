#pragma once

#include <gtk/gtk.h>

namespace brevinor {

/// Where a compositor shows the card with transparency, the card draws its own soft shadow in a
/// transparent margin of its window (the style's margin around the card). The card's place and
/// size are those of what the user sees: the window extends past them by this margin.

/// Gives the card of `window`, not yet realized, its shadow and margin, and keeps pointer input
/// to the card, so that a click on the shadow reaches the window below; only for a window whose
/// see-through parts a compositor shows.
void useCardShadow(GtkWindow* window);

/// How far the window of `window` extends past its card on each side; all zero without a shadow.
GtkBorder cardShadowMargin(GtkWindow* window);

/// The size the card of `window` will show at: the window's preferred size less the margin.
GtkRequisition shownCardSize(GtkWindow* window);

/// Declares the margin as the X11 window's frame extents: compositors that read them shadow only
/// the card, not the whole rectangle. Call once the window is realized.
void declareCardShadow(GtkWindow* window);

}  // namespace brevinor
