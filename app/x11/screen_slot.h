#pragma once

#include <gtk/gtk.h>

#include "notification/notice_stacking.h"

namespace brevinor {

/// Finds the notice's place beside the notices of other Brevinor processes on the same X screen
/// and claims it, so that notices started in the same instant never take the same place.
///
/// Each shown notice owns one of a fixed set of selections on its screen and keeps its frame in a
/// property of the owning window. Under a server grab the owners' frames are read, the place is
/// computed by stackedNoticeFrame, written to `window` and a free selection taken: no other client
/// runs in between. The X server drops the selection when the window is destroyed or its process
/// ends, which frees the place.
///
/// Realizes `window`. Off X11, or when every selection is owned, the place is still computed but
/// not claimed.
ScreenRect claimNoticePlace(GtkWindow* window, ScreenRect workArea, int width, int height,
                            int margin, int spacing);

}  // namespace brevinor
