#include "app/x11/activation_return.h"

namespace brevinor {

ActivationReturn::Answer ActivationReturn::seen(unsigned long active, bool look) {
  if (look) lookPending_ = false;
  if (active != own_) {
    if (active != 0) userWindow_ = active;
    // Between an answer and its look, the manager's answer and a late repeat may both pass by.
    if (!lookPending_) answers_ = 0;
    return {};
  }
  // The look that is due decides: changes read meanwhile may all show the latest state.
  if (lookPending_ || userWindow_ == 0 || answers_ >= kAnswersInARow) return {};
  ++answers_;
  lookPending_ = true;
  return {userWindow_, true};
}

}  // namespace brevinor
