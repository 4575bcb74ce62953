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

// Three put-backs answered with the same wrong position within a second.
void insist(PlaceKeeper& keeper, ScreenPoint at, PlaceKeeper::Clock::time_point from) {
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(keeper.putBack(at, from + milliseconds(100 * i)));
  EXPECT_FALSE(keeper.putBack(at, from + milliseconds(300)));
}

TEST(PlaceKeeper, WaitsOutAManagerThatInsistsThenTriesAgain) {
  PlaceKeeper keeper(kPlace);
  const ScreenPoint insisted{400, 300};
  insist(keeper, insisted, kStart);
  EXPECT_EQ(keeper.lookAgainAt(), kStart + milliseconds(1300));
  EXPECT_FALSE(keeper.putBack(insisted, kStart + milliseconds(800)));
  EXPECT_TRUE(keeper.putBack(insisted, kStart + milliseconds(1300)));
}

TEST(PlaceKeeper, WaitsForTheWindowToStayStillBeforeTryingAgain) {
  PlaceKeeper keeper(kPlace);
  insist(keeper, {400, 300}, kStart);
  EXPECT_FALSE(keeper.putBack({380, 310}, kStart + milliseconds(800)));  // the drag goes on
  EXPECT_EQ(keeper.lookAgainAt(), kStart + milliseconds(1800));
  EXPECT_FALSE(keeper.putBack({380, 310}, kStart + milliseconds(1300)));
  EXPECT_TRUE(keeper.putBack({380, 310}, kStart + milliseconds(1800)));
}

TEST(PlaceKeeper, GivesUpForGoodAfterThreeRounds) {
  PlaceKeeper keeper(kPlace);
  const ScreenPoint insisted{400, 300};
  insist(keeper, insisted, kStart);
  insist(keeper, insisted, kStart + milliseconds(1300));
  insist(keeper, insisted, kStart + milliseconds(2600));
  EXPECT_FALSE(keeper.lookAgainAt());
  EXPECT_FALSE(keeper.putBack({10, 10}, kStart + milliseconds(9000)));
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
