#pragma once

#include "app/notice_request.h"

namespace brevinor {

/// Shows the notice through the desktop's notification service on the session bus, for a run
/// that has no X display; GTK is not initialised. Runs until the controller ends the notice and
/// returns the exit status, or `kNoDisplay` when the session bus has no notification service.
int showAsDesktopNotification(const NoticeRequest& request);

}  // namespace brevinor
