#pragma once

#include <gtk/gtk.h>

#include <string>

namespace brevinor {

/// Shows the window to screen readers as a notification, so that one announces it when it
/// appears. Keyboard focus is a separate matter: the window never takes it.
void exposeAsNotification(GtkWidget* window);

/// Makes the notice's text the window's accessible name and description.
void describeNotification(GtkWidget* window, const std::string& text);

}  // namespace brevinor
