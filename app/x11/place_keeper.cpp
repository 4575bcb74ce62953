#include "app/x11/place_keeper.h"

#include <algorithm>

namespace brevinor {
namespace {

// A drag sends the window somewhere new at every step, so only a return to the same wrong
// position counts as insisting.
constexpr int kTriesAgainstInsisting = 3;
constexpr auto kInsistingWindow = std::chrono::seconds(1);
// Pauses of 1, 2, then 4 s: against a manager that insists for ever that is three moves every
// 4 s, and a card put back at most 4 s after the manager lets go.
constexpr int kLongestPauseDoublings = 2;

}  // namespace

PlaceKeeper::Clock::duration PlaceKeeper::pause() const {
  return kInsistingWindow * (1 << std::clamp(rounds_ - 1, 0, kLongestPauseDoublings));
}

bool PlaceKeeper::putBack(ScreenPoint seen, Clock::time_point now) {
  if (quietUntil_) {
    if (seen == place_) {  // the manager let go and put it back itself
      quietUntil_.reset();
      heldSince_ = now;
      return false;
    }
    // Moved on meanwhile: wait for a pause of stillness from now.
    if (seen != lastSeen_) quietUntil_ = now + pause();
    lastSeen_ = seen;
    if (now < *quietUntil_) return false;
    quietUntil_.reset();
    recent_.clear();
  }
  if (seen == place_) {
    if (!heldSince_) heldSince_ = now;
    return false;
  }
  // A place held for a second means the manager had let go: this move is a new one.
  if (heldSince_ && now - *heldSince_ >= kInsistingWindow) rounds_ = 0;
  heldSince_.reset();
  std::erase_if(recent_, [&](const Undone& u) { return now - u.at >= kInsistingWindow; });
  const auto sameWrongPlace = std::count_if(recent_.begin(), recent_.end(),
                                            [&](const Undone& u) { return u.from == seen; });
  if (sameWrongPlace >= kTriesAgainstInsisting) {
    recent_.clear();
    ++rounds_;
    quietUntil_ = now + pause();
    lastSeen_ = seen;
    return false;
  }
  recent_.push_back({seen, now});
  return true;
}

}  // namespace brevinor
