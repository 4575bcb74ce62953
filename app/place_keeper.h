#pragma once

#include <chrono>
#include <optional>
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
/// within a second, the keeper waits until the window has stayed still for a second (a drag held
/// still, a manager's own rule) and then tries once more. After a few such rounds it gives up for
/// good instead of flickering between the two places.
class PlaceKeeper {
 public:
  using Clock = std::chrono::steady_clock;

  explicit PlaceKeeper(ScreenPoint place) : place_(place) {}

  /// The window was seen at `seen` at `now`: true when it is to be put back at the place now.
  bool putBack(ScreenPoint seen, Clock::time_point now);

  /// While waiting for the window to stay still: when to look again, even if nothing moves it.
  std::optional<Clock::time_point> lookAgainAt() const { return quietUntil_; }

 private:
  struct Undone {
    ScreenPoint from;
    Clock::time_point at;
  };

  ScreenPoint place_;
  std::vector<Undone> recent_;  // put-backs of the last second
  std::optional<Clock::time_point> quietUntil_;
  ScreenPoint lastSeen_;
  int rounds_ = 0;
};

}  // namespace brevinor
