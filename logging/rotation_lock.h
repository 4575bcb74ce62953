#pragma once

#include <chrono>
#include <string>

namespace brevinor {

/// An advisory lock on the log folder, so that runs started together rotate the log once. The
/// wait for it is bounded: every user can lock the shared folder, and a run must never hang
/// on a lock that somebody else keeps.
class RotationLock {
 public:
  RotationLock(const std::string& folder, std::chrono::milliseconds patience);
  ~RotationLock();
  RotationLock(const RotationLock&) = delete;
  RotationLock& operator=(const RotationLock&) = delete;

  /// Whether the lock was taken; false when the folder cannot be opened or the wait ran out.
  bool held() const { return held_; }

 private:
  int folder_ = -1;
  bool held_ = false;
};

}  // namespace brevinor
