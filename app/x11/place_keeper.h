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
/// Every position away from the place is undone, whoever moved the window, except while a window
/// manager insists (a drag or a keyboard move it holds, a rule of its own): when the window is
/// found at the same wrong position a few times within a second, the keeper pauses until the
/// window has stayed still for a while and then tries again. Each round that finds the manager
/// still insisting doubles the pause, up to a few seconds, so that it never fights a manager in a
/// tight loop; once the window has held its place again the pauses start short again. It never
/// gives up: a move left standing for good is what it is there to prevent.
class PlaceKeeper {
 public:
  using Clock = std::chrono::steady_clock;

  explicit PlaceKeeper(ScreenPoint place) : place_(place) {}

  /// The window was seen at `seen` at `now`: true when it is to be put back at the place now.
  bool putBack(ScreenPoint seen, Clock::time_point now);

  /// While paused: when to look again, even if nothing moves the window.
  std::optional<Clock::time_point> lookAgainAt() const { return quietUntil_; }

 private:
  struct Undone {
    ScreenPoint from;
    Clock::time_point at;
  };

  Clock::duration pause() const;

  ScreenPoint place_;
  std::vector<Undone> recent_;  // put-backs of the last second
  std::optional<Clock::time_point> quietUntil_;
  ScreenPoint lastSeen_;
  int rounds_ = 0;                              // insisting rounds since the place last held
  std::optional<Clock::time_point> heldSince_;  // when it was last seen back at its place
};

}  // namespace brevinor
