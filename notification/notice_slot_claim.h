#pragma once

#include <functional>
#include <span>
#include <string>

#include "notification/notice_stacking.h"

namespace brevinor {

/// A notice's place beside the notices of the user's other runs where no X server holds the
/// slots (a Wayland session): one lock file per slot in the user's runtime folder. A held slot's
/// file carries its notice's frame; the kernel drops the lock when its process ends, which frees
/// the place, and the folder (the user's own, mode 0700) keeps every other user out.
class NoticeSlotClaim {
 public:
  using Placer = std::function<ScreenRect(std::span<const ScreenRect> shown)>;

  /// Reads the frames of the held slots in `folder`, asks `place` for this notice's frame and
  /// holds a free slot with it, all under a lock of the folder's own so that runs started
  /// together never take the same place. When the folder is not the user's own and private,
  /// another run holds that lock too long or every slot is held, the frame is placed among the
  /// frames read (none, for a folder not to be used) and no slot is held.
  NoticeSlotClaim(const std::string& folder, const Placer& place);
  ~NoticeSlotClaim();
  NoticeSlotClaim(const NoticeSlotClaim&) = delete;
  NoticeSlotClaim& operator=(const NoticeSlotClaim&) = delete;

  ScreenRect frame() const { return frame_; }
  /// The slot held, or -1.
  int slot() const { return slot_; }

 private:
  ScreenRect frame_;
  int slot_ = -1;
  int fd_ = -1;
};

}  // namespace brevinor
