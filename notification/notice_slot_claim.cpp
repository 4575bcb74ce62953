#include "notification/notice_slot_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace brevinor {
namespace {

// More places than fit on a large screen, as on X11.
constexpr int kSlotCount = 64;
constexpr const char* kGuardName = "brevinor-notice-slots.lock";
constexpr const char* kSlotPrefix = "brevinor-notice-slot-";
// The guard is held only while a run reads and claims (well under a millisecond); a run stopped
// while holding it must not hold up the others' cards.
constexpr auto kGuardPatience = std::chrono::milliseconds(200);
constexpr auto kGuardRetry = std::chrono::milliseconds(2);

/// A regular file of the user's own in `folder`, opened without following a link; -1 otherwise.
/// With `create` false, a missing file is -1 too.
int openOwnFile(int folder, const std::string& name, bool create) {
  const int fd = openat(folder, name.c_str(),
                        O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    close(fd);
    return -1;
  }
  return fd;
}

bool lockWithin(int fd, std::chrono::steady_clock::duration patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kGuardRetry);
  }
  return true;
}

/// The frame a held slot's file carries; written by another run of the user's, and still checked
/// by the stacking rule.
bool readFrame(int fd, ScreenRect& frame) {
  char text[64] = {};
  const ssize_t got = pread(fd, text, sizeof text - 1, 0);
  return got > 0 &&
         std::sscanf(text, "%d %d %d %d", &frame.x, &frame.y, &frame.width, &frame.height) == 4;
}

void writeFrame(int fd, const ScreenRect& frame) {
  const std::string text = std::to_string(frame.x) + " " + std::to_string(frame.y) + " " +
                           std::to_string(frame.width) + " " + std::to_string(frame.height) + "\n";
  if (ftruncate(fd, 0) == 0 && pwrite(fd, text.data(), text.size(), 0) < 0) {
    // Unwritten, the slot is still held: the others place beside a frame they cannot read.
  }
}

}  // namespace

NoticeSlotClaim::NoticeSlotClaim(const std::string& folder, const Placer& place) {
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  const bool own = dir >= 0 && fstat(dir, &st) == 0 && st.st_uid == geteuid() &&
                   (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
  const int guard = own ? openOwnFile(dir, kGuardName, true) : -1;
  std::vector<ScreenRect> shown;
  if (guard >= 0 && lockWithin(guard, kGuardPatience)) {
    for (int i = 0; i < kSlotCount; ++i) {
      // Slot files are made in order under the guard: past the first missing one there are none.
      const std::string name = kSlotPrefix + std::to_string(i);
      int fd = openOwnFile(dir, name, false);
      const bool missing = fd < 0;
      if (missing) {
        if (fd_ >= 0) break;
        fd = openOwnFile(dir, name, true);
        if (fd < 0) break;
      }
      if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ScreenRect frame;
        if (readFrame(fd, frame)) shown.push_back(frame);
        close(fd);
      } else if (fd_ < 0) {
        fd_ = fd;  // the first free slot: held from now on
        slot_ = i;
      } else {
        close(fd);  // also free: unlocked again as it closes
      }
      if (missing) break;
    }
    frame_ = place(shown);
    if (fd_ >= 0) writeFrame(fd_, frame_);
  } else {
    frame_ = place(shown);
  }
  if (guard >= 0) close(guard);  // releases the guard
  if (dir >= 0) close(dir);
}

NoticeSlotClaim::~NoticeSlotClaim() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace brevinor
