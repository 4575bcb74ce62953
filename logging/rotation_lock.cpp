#include "logging/rotation_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace brevinor {

RotationLock::RotationLock(const std::string& path, std::chrono::milliseconds patience) {
  // O_NONBLOCK: a FIFO at the name must not hang the open.
  do {
    file_ = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (file_ == -1 && errno == EINTR);
  if (file_ == -1) {
    // Gone: another run has just rotated it. Anything else leaves no file to lock.
    mayRotate_ = errno != ENOENT;
    return;
  }
  struct stat locked;
  if (fstat(file_, &locked) != 0 || !S_ISREG(locked.st_mode) || locked.st_uid != geteuid() ||
      (locked.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    // Somebody else could open this file and hold its lock; rotate without one.
    mayRotate_ = true;
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (flock(file_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      mayRotate_ = true;  // no locks here (ENOLCK)
      return;
    }
    // Only the user's own runs (or the administrator) can hold it: one of them is rotating.
    if (std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  mayRotate_ = true;
}

RotationLock::~RotationLock() {
  if (file_ != -1) close(file_);  // closing releases the lock
}

}  // namespace brevinor
