#include "notification/notice_stacking.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace brevinor;

// A 1280×800 screen of 400×100 notices, 12 px from the edges and 8 px apart: columns at x 868,
// 460 and 52, seven rows each at y 12, 120, …, 660.
constexpr ScreenRect kScreen{0, 0, 1280, 800};

ScreenRect at(int x, int y, int width = 400, int height = 100) {
  return {x, y, width, height};
}

/// The full columns at the given x positions.
std::vector<ScreenRect> columns(std::initializer_list<int> xs) {
  std::vector<ScreenRect> frames;
  for (const int x : xs) {
    for (int row = 0; row < 7; ++row) frames.push_back(at(x, 12 + row * 108));
  }
  return frames;
}

TEST(NoticeStackingTest, PlacesTheNewNoticeAtTheHighestFreePlaceFromTheRight) {
  std::vector<ScreenRect> wide = columns({868});
  wide.push_back(at(668, 12, 600, 100));
  const struct {
    const char* what;
    std::vector<ScreenRect> shown;
    ScreenRect expected;
    ScreenRect area = kScreen;
  } cases[] = {
      {"empty screen", {}, at(868, 12)},
      {"below the one shown", {at(868, 12)}, at(868, 120)},
      {"gap at the top reused", {at(868, 120), at(868, 228)}, at(868, 12)},
      {"gap in the middle reused", {at(868, 12), at(868, 228)}, at(868, 120)},
      {"gap short of the spacing skipped", {at(868, 12), at(868, 220)}, at(868, 328)},
      {"full column: the next one to the left", columns({868}), at(460, 12)},
      {"everything full: top right, over the others", columns({868, 460, 52}), at(868, 12)},
      {"work area below a top panel and beside a left one", {}, at(808, 42), {60, 30, 1160, 770}},
      {"a smaller shown notice", {at(1068, 12, 200, 50)}, at(868, 70)},
      {"a wider shown notice blocks the next column's row", wide, at(460, 120)},
      {"empty and hostile frames ignored, no overflow",
       {at(868, 12, 0, 100), at(868, 12, 400, -5), at(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX),
        at(INT_MIN, INT_MIN, INT_MAX, INT_MAX)},
       at(868, 12)},
  };
  for (const auto& c : cases) {
    // Other processes' notices come in no particular order.
    for (const auto& shown : {c.shown, std::vector(c.shown.rbegin(), c.shown.rend())}) {
      EXPECT_EQ(stackedNoticeFrame(shown, c.area, 400, 100, 12, 8), c.expected) << c.what;
    }
  }
  EXPECT_EQ(stackedNoticeFrame({}, kScreen, 1400, 100, 12, 8), at(-132, 12, 1400, 100));
  EXPECT_EQ(stackedNoticeFrame(std::vector{at(868, 12), at(868, 228)}, kScreen, 400, 150, 12, 8),
            at(868, 336, 400, 150));
}
