#include "logging/rotation_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace brevinor {

RotationLock::RotationLock(const std::string& folder, std::chrono::milliseconds patience) {
  // The folder itself is locked: a lock file would be one more name that another user could
  // plant in the shared folder.
  folder_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_ == -1) return;
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    if (flock(folder_, LOCK_EX | LOCK_NB) == 0) {
      held_ = true;
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) return;
    if (std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

RotationLock::~RotationLock() {
  if (folder_ != -1) close(folder_);  // closing releases the lock
}

}  // namespace brevinor
