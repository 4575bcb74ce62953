#include "logging/rotation_lock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "logging/log_file_opener.h"

namespace brevinor {

RotationLock::RotationLock(const std::string& path, std::chrono::milliseconds patience) {
  // The same guarded open as the log itself: only a regular file of the user's own. Creating it
  // when a run has just rotated it away is harmless: the new file is too small to rotate.
  file_ = openOwnLogFile(path);
  struct stat locked;
  if (file_ == -1 || fstat(file_, &locked) != 0) {
    mayRotate_ = true;  // nothing to lock; rotation moves only the user's own files anyway
    return;
  }
  // A file others could open (left by an older version, or by hand) is closed to them before it
  // is locked, so that the user's runs started together still rotate it once. Whoever opened it
  // before may hold its lock for good: past the patience, it is rotated without the lock.
  const bool openToOthers = (locked.st_mode & (S_IRWXG | S_IRWXO)) != 0;
  if (openToOthers && fchmod(file_, S_IRUSR | S_IWUSR) != 0) {
    mayRotate_ = true;
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (flock(file_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      mayRotate_ = true;  // no locks here (ENOLCK)
      return;
    }
    // Only the user's own runs (or the administrator) can hold the lock of a file that was
    // closed to others: one of them is rotating.
    if (std::chrono::steady_clock::now() >= deadline) {
      mayRotate_ = openToOthers;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  mayRotate_ = true;
}

RotationLock::~RotationLock() {
  if (file_ != -1) close(file_);  // closing releases the lock
}

}  // namespace brevinor
