#include "app/place_keeper.h"

#include <algorithm>

namespace brevinor {
namespace {

// A drag sends the window somewhere new at every step, so only a return to the same wrong
// position counts as insisting.
constexpr int kTriesAgainstInsisting = 3;
constexpr auto kInsistingWindow = std::chrono::seconds(1);
constexpr int kRoundsBeforeGivingUp = 3;

}  // namespace

bool PlaceKeeper::putBack(ScreenPoint seen, Clock::time_point now) {
  if (rounds_ >= kRoundsBeforeGivingUp) return false;
  if (quietUntil_) {
    if (seen == place_) {
      quietUntil_.reset();
      return false;
    }
    // Moved on meanwhile: wait for a second of stillness from now.
    if (seen != lastSeen_) quietUntil_ = now + kInsistingWindow;
    lastSeen_ = seen;
    if (now < *quietUntil_) return false;
    quietUntil_.reset();
    recent_.clear();
  }
  if (seen == place_) return false;
  std::erase_if(recent_, [&](const Undone& u) { return now - u.at >= kInsistingWindow; });
  const auto sameWrongPlace = std::count_if(recent_.begin(), recent_.end(),
                                            [&](const Undone& u) { return u.from == seen; });
  if (sameWrongPlace >= kTriesAgainstInsisting) {
    recent_.clear();
    if (++rounds_ < kRoundsBeforeGivingUp) quietUntil_ = now + kInsistingWindow;
    lastSeen_ = seen;
    return false;
  }
  recent_.push_back({seen, now});
  return true;
}

}  // namespace brevinor
