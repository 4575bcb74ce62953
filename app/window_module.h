#pragma once

#include <string>
#include <thread>

#include "app/notice_request.h"
#include "notification/notice_presenter.h"
#include "platform/executable_location.h"

namespace brevinor {

/// The package's GTK window module. Loading it (about 13 ms of relocating GTK's libraries) can
/// start on a thread of its own as soon as the notice may be wanted, so that it overlaps the
/// launching-process check; nothing of GTK is initialised until the notice is shown.
class WindowModule {
 public:
  explicit WindowModule(PackageLayout layout) : layout_(std::move(layout)) {}
  ~WindowModule();
  WindowModule(const WindowModule&) = delete;
  WindowModule& operator=(const WindowModule&) = delete;

  /// Starts loading the module in the background; later calls do nothing.
  void startLoading();
  /// Whether loading was started, so that ending the run now would have to wait for it.
  bool loadingStarted() const { return loader_.joinable(); }

  /// Loads the module (or waits for the load under way) and runs the notice until it ends.
  /// Returns the exit status; when the module cannot be loaded, or neither a display nor a
  /// notification service can be reached, logs one line and returns 1.
  int show(NoticePresenter& presenter, const std::string& appName);

 private:
  void load();

  PackageLayout layout_;
  std::thread loader_;
  ShowNoticeEntry entry_ = nullptr;
  std::string loadError_;
};

}  // namespace brevinor
