#pragma once

#include <gio/gio.h>

#include "app/gobject_ptr.h"

namespace brevinor {

/// Makes GTK draw light or dark as the desktop prefers, now and whenever the preference changes
/// while the notice is up. The preference is the "color-scheme" key of the desktop's interface
/// settings (what the settings portal reports); where that key does not exist, GTK's theme
/// decides alone. Returns the settings object to keep for the run, or none.
GObjectPtr<GSettings> followDesktopColorScheme();

}  // namespace brevinor
