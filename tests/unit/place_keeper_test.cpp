#include "app/place_keeper.h"

#include <gtest/gtest.h>

using namespace brevinor;
using namespace std::chrono_literals;

TEST(PlaceKeeperTest, UndoesEveryMoveButWaitsOutAManagerThatInsistsAndGivesUpAfterThreeRounds) {
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
      {380, 310, 3200, true}, {380, 310, 3300, true}, {380, 310, 3400, false, 4400},
      {380, 310, 4400, true}, {380, 310, 4500, true}, {380, 310, 4600, true},
      {380, 310, 4700, false}, {10, 10, 9000, false},  // after three rounds: given up for good
      // clang-format on
  };
  for (const auto& s : steps) {
    EXPECT_EQ(keeper.putBack({s.x, s.y}, at(s.ms)), s.putBack) << s.ms;
    EXPECT_EQ(keeper.lookAgainAt(), s.lookAgainAt ? std::optional(at(s.lookAgainAt)) : std::nullopt)
        << s.ms;
  }
}
