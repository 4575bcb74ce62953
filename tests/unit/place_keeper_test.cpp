#include "app/x11/place_keeper.h"

#include <gtest/gtest.h>

using namespace brevinor;
using namespace std::chrono_literals;

TEST(PlaceKeeperTest, UndoesEveryMoveAndWaitsOutAManagerThatInsistsLongerEachRoundButNeverGivesUp) {
  PlaceKeeper keeper({900, 12});
  const auto at = [](int ms) { return PlaceKeeper::Clock::time_point(ms * 1ms); };
  const struct {
    int x, y, ms;  // where the window was seen, and when
    bool putBack;
    int lookAgainAt = 0;  // none
  } steps[] = {
      // clang-format off
      {900, 12, 0, false}, {890, 17, 10, true}, {880, 22, 20, true},  // at its place; a drag
      {400, 300, 100, true}, {400, 300, 700, true}, {400, 300, 1300, true},  // now and then
      {400, 300, 1400, true}, {400, 300, 1500, false, 2500}, {400, 300, 2000, false, 2500},
      {380, 310, 2100, false, 3100}, {380, 310, 3000, false, 3100}, {380, 310, 3100, true},
      {380, 310, 3200, true}, {380, 310, 3300, true}, {380, 310, 3400, false, 5400},  // twice as long
      {380, 310, 5400, true}, {380, 310, 5500, true}, {380, 310, 5600, true},
      {380, 310, 5700, false, 9700}, {380, 310, 9700, true}, {900, 12, 9710, false},  // it lets go
      {10, 10, 11000, true}, {10, 10, 11100, true}, {10, 10, 11200, true},  // a second later: anew
      {10, 10, 11300, false, 12300},
      // clang-format on
  };
  for (const auto& s : steps) {
    EXPECT_EQ(keeper.putBack({s.x, s.y}, at(s.ms)), s.putBack) << s.ms;
    EXPECT_EQ(keeper.lookAgainAt(), s.lookAgainAt ? std::optional(at(s.lookAgainAt)) : std::nullopt)
        << s.ms;
  }
}
