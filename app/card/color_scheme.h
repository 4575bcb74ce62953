#pragma once

#include <gio/gio.h>

#include "app/card/gobject_ptr.h"

namespace brevinor {

/// The desktop's interface settings when they have the "color-scheme" key (what the settings
/// portal reports), or none. Touches nothing of GTK, so any thread may read them; the settings
/// tell of changes on the default main context.
GObjectPtr<GSettings> desktopInterfaceSettings();

/// Makes GTK draw light or dark as `settings` prefer, now and whenever the preference changes
/// while the notice is up; without settings GTK's theme decides alone. Call on GTK's thread.
/// Returns the settings to keep for the run.
GObjectPtr<GSettings> followDesktopColorScheme(GObjectPtr<GSettings> settings);

}  // namespace brevinor
