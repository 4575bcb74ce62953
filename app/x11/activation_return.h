#pragma once

namespace brevinor {

/// Decides when the notice, made the active window by a manager though it takes no focus, gives
/// the activation back to the window the user worked in.
///
/// A manager may make the notice active twice for one gesture (i3: once as the pointer enters it,
/// again for the press, which it may handle after the answer to the first), and the active window
/// read after a change may already be a later one than the change told of. So every answer is
/// followed by a look a moment later, which answers again when the notice is still active. A
/// manager that keeps it active after a few answers in a row insists, and is not fought: the
/// notice answers again once another window has been seen active in a settled state.
class ActivationReturn {
 public:
  static constexpr int kAnswersInARow = 3;

  struct Answer {
    unsigned long giveTo = 0;  // the window to make active again, or none (0)
    bool lookAgain = false;    // look once more shortly, even if no change comes
    bool operator==(const Answer&) const = default;
  };

  explicit ActivationReturn(unsigned long own) : own_(own) {}

  /// The active window, read after a change of it or, when `look`, on the look asked for.
  Answer seen(unsigned long active, bool look);

 private:
  unsigned long own_;
  unsigned long userWindow_ = 0;  // the last active window other than the notice
  int answers_ = 0;               // answers since another window was last seen settled active
  bool lookPending_ = false;
};

}  // namespace brevinor
