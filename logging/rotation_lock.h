#pragma once

#include <chrono>
#include <string>

namespace brevinor {

/// Serialises the rotation of one user's log between that user's own runs, so that runs started
/// together rotate it once. The lock is taken on the current log file itself, a regular file of
/// the user's that is first made 0600: no other user can then take it, hold it, or make a run
/// wait, except one who opened it while it was open to others, for this rotation only. A lock
/// planted on the shared folder means nothing to it.
class RotationLock {
 public:
  /// Locks the current file at `path`, waiting at most `patience` for a run that holds it.
  RotationLock(const std::string& path, std::chrono::milliseconds patience);
  ~RotationLock();
  RotationLock(const RotationLock&) = delete;
  RotationLock& operator=(const RotationLock&) = delete;

  /// Whether this run may rotate: it holds the lock (the size is then to be checked again: a run
  /// that rotated meanwhile left a small current file), or no lock can be had (no locks on the
  /// file system, a file not the user's own, or the patience ran out on a file others could open):
  /// moves never replace a file, so an unserialised rotation loses nothing. False while another
  /// of the user's runs keeps the lock.
  bool mayRotate() const { return mayRotate_; }

 private:
  int file_ = -1;
  bool mayRotate_ = false;
};

}  // namespace brevinor
