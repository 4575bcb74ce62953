#include "app/x11/activation_return.h"

#include <gtest/gtest.h>

#include <iterator>

using namespace brevinor;

TEST(ActivationReturnTest, GivesItBackForEveryGestureLooksAgainAndStopsForAManagerThatInsists) {
  constexpr unsigned long notice = 7, user = 3, other = 5;
  ActivationReturn activation(notice);
  const struct {
    unsigned long active;
    bool look;
    ActivationReturn::Answer answer;
  } steps[] = {
      // clang-format off
      {notice, false, {}},  // nobody else was active yet: nobody to give it to
      {user, false, {}}, {notice, false, {user, true}},
      // A manager handles the press after the answer to the pointer's entry; read late, every
      // change shows the notice: the look answers again.
      {notice, false, {}}, {notice, false, {}}, {notice, true, {user, true}},
      {user, false, {}}, {user, true, {}},  // settled with the user's window
      {notice, false, {user, true}},        // the next click
      {notice, true, {user, true}}, {notice, true, {user, true}},  // it insists
      {notice, true, {}}, {notice, false, {}},
      {other, false, {}}, {notice, false, {other, true}},  // the user went on elsewhere
      // clang-format on
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    EXPECT_EQ(activation.seen(steps[i].active, steps[i].look), steps[i].answer) << "step " << i;
  }
}
