#pragma once

// The one call between the program and its window module. Both are built together from this
// tree, so C++ types may cross it; the entry itself has C linkage so dlsym can find it by name.

#include "notification/notice_presenter.h"

namespace brevinor {

struct NoticeRequest {
  NoticePresenter* presenter;     ///< fills the window once it is wanted
  const char* resourceDirectory;  ///< the package's resource folder
  const char* appName;            ///< the application the notice is about, as given
  const char* startupId;          ///< the launcher's startup-notification id, or empty
  /// Writes one log line; the module does not link the program's log call. Lines written before
  /// the notice is wanted are held back until then, behind the lines of the checks.
  void (*log)(const char* message);
  /// Blocks until the notice is wanted. A run that does not want it ends meanwhile, so this
  /// returns only for a notice to be shown. Before it, the module does nothing that could end the
  /// process or write on descriptor 2 by itself: it opens no display, reads no fonts and starts
  /// no thread of GLib's (which aborts the run when none can be had).
  void (*waitUntilWanted)();
};

/// The entry's answer when neither an X display nor a notification service can be reached; any
/// other answer is the exit status.
inline constexpr int kNoDisplay = -1;

inline constexpr const char* kShowNoticeEntry = "brevinor_show_notice";
using ShowNoticeEntry = int (*)(const NoticeRequest* request);

}  // namespace brevinor
