#pragma once

#include <gtk/gtk.h>

namespace brevinor {

/// Without a compositor, cuts `window` to the card's rounded outline, `radius` logical pixels at
/// each corner, and cuts it again whenever its size or scale changes. The cut follows the screen's
/// own pixels: at a scale of 2 a cut in logical pixels would step by 2. The window paints its own
/// background then, so the card's smoothed corners blend with the card's colour, not with black.
/// Does nothing off X11.
void shapeToRoundedCard(GtkWidget* window, double radius);

}  // namespace brevinor
