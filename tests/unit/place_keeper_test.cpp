#include "app/place_keeper.h"

#include <gtest/gtest.h>

namespace brevinor {
namespace {

using std::chrono::milliseconds;

constexpr ScreenPoint kPlace{900, 12};
const PlaceKeeper::Clock::time_point kStart{};

TEST(PlaceKeeper, LeavesTheWindowAtItsPlaceAlone) {
  PlaceKeeper keeper(kPlace);
  EXPECT_FALSE(keeper.putBack(kPlace, kStart));
}

TEST(PlaceKeeper, UndoesEveryStepOfADrag) {
  PlaceKeeper keeper(kPlace);
  for (int step = 1; step <= 20; ++step) {
    EXPECT_TRUE(
        keeper.putBack({kPlace.x - 10 * step, kPlace.y + 5 * step}, kStart + milliseconds(step)))
        << "step " << step;
  }
}

TEST(PlaceKeeper, GivesUpForGoodOnAManagerThatInsistsWithinASecond) {
  PlaceKeeper keeper(kPlace);
  const ScreenPoint insisted{400, 300};
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(keeper.putBack(insisted, kStart + milliseconds(100 * i)));
  EXPECT_FALSE(keeper.putBack(insisted, kStart + milliseconds(300)));
  EXPECT_FALSE(keeper.putBack({10, 10}, kStart + milliseconds(5000)));
}

TEST(PlaceKeeper, KeepsUndoingTheSameMoveWhenItComesSeldom) {
  PlaceKeeper keeper(kPlace);
  const ScreenPoint pagerTarget{400, 300};
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(keeper.putBack(pagerTarget, kStart + milliseconds(600 * i))) << "move " << i;
  }
}

}  // namespace
}  // namespace brevinor
