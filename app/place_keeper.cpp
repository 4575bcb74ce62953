#include "app/place_keeper.h"

#include <algorithm>

namespace brevinor {
namespace {

// A drag sends the window somewhere new at every step, so only a return to the same wrong
// position counts as insisting.
constexpr int kTriesAgainstInsisting = 3;
constexpr auto kInsistingWindow = std::chrono::seconds(1);

}  // namespace

bool PlaceKeeper::putBack(ScreenPoint seen, Clock::time_point now) {
  if (gaveUp_ || seen == place_) return false;
  std::erase_if(recent_, [&](const Undone& u) { return now - u.at >= kInsistingWindow; });
  const auto sameWrongPlace = std::count_if(recent_.begin(), recent_.end(),
                                            [&](const Undone& u) { return u.from == seen; });
  if (sameWrongPlace >= kTriesAgainstInsisting) {
    gaveUp_ = true;
    recent_.clear();
    return false;
  }
  recent_.push_back({seen, now});
  return true;
}

}  // namespace brevinor
