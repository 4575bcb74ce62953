#pragma once

#include <string>
#include <thread>

#include "app/notice_request.h"
#include "notification/notice_presenter.h"
#include "platform/executable_location.h"

namespace brevinor {

/// The package's GTK window module. As soon as the notice may be wanted, a thread of its own
/// loads the module while the launching-process check runs; once the notice is wanted, that
/// thread does all of the run's GTK work. Until then it does nothing that could end the process
/// or reach beyond it: no display, no fonts, no thread of GLib's.
class WindowModule {
 public:
  explicit WindowModule(PackageLayout layout) : layout_(std::move(layout)) {}
  ~WindowModule();
  WindowModule(const WindowModule&) = delete;
  WindowModule& operator=(const WindowModule&) = delete;

  /// Starts loading the module in the background, to prepare the notice about `appName` once it
  /// is wanted; later calls do nothing. `presenter` must outlive the run.
  void startLoading(NoticePresenter& presenter, const std::string& appName);
  /// Whether loading was started, so that ending the run now would have to wait for it.
  bool loadingStarted() const { return loader_.joinable(); }

  /// The notice is wanted: prepares and shows it (loading the module first when that was not
  /// started or no thread could be had) and runs it until it ends. Returns the exit status; when
  /// the module cannot be loaded, or neither a display nor a notification service can be reached,
  /// logs one line and returns 1.
  int show(NoticePresenter& presenter, const std::string& appName);

 private:
  void run();

  PackageLayout layout_;
  std::string resourceDirectory_;
  std::string appName_;
  std::string startupId_;
  NoticeRequest request_{};
  std::thread loader_;
  int status_ = 0;
};

}  // namespace brevinor
