#pragma once

namespace brevinor {

/// The application's delegate: told when launching has finished and when the application is
/// about to end. The notice needs neither, so both leave no trace.
class AppDelegate {
 public:
  void applicationDidFinishLaunching() { applicationLifecycleChanged(); }
  void applicationWillTerminate() { applicationLifecycleChanged(); }

 private:
  void applicationLifecycleChanged() {}
};

}  // namespace brevinor
