#pragma once

#include <chrono>
#include <vector>

namespace brevinor {

/// A point on the screen, in root-window pixels.
struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

/// Decides when a window that must not move is put back at its place.
///
/// Every position away from the place is undone, whoever moved the window, except against a
/// window manager that insists: when the window is found at the same wrong position a few times
/// within a second, each time right after being put back, the keeper gives up for good instead of
/// flickering between the two.
class PlaceKeeper {
 public:
  using Clock = std::chrono::steady_clock;

  explicit PlaceKeeper(ScreenPoint place) : place_(place) {}

  /// The window was seen at `seen` at `now`: true when it is to be put back at the place now.
  bool putBack(ScreenPoint seen, Clock::time_point now);

 private:
  struct Undone {
    ScreenPoint from;
    Clock::time_point at;
  };

  ScreenPoint place_;
  std::vector<Undone> recent_;  // put-backs of the last second
  bool gaveUp_ = false;
};

}  // namespace brevinor
