#include "notification/notice_stacking.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace brevinor {
namespace {

// A 1280×800 screen of 400×100 notices, 12 px from the edges and 8 px apart: columns at x 868,
// 460 and 52, seven rows each at y 12, 120, …, 660.
constexpr ScreenRect kScreen{0, 0, 1280, 800};
constexpr int kWidth = 400, kHeight = 100, kMargin = 12, kSpacing = 8;

ScreenRect at(int x, int y, int width = kWidth, int height = kHeight) {
  return {x, y, width, height};
}

std::vector<ScreenRect> column(int x, int rows) {
  std::vector<ScreenRect> frames;
  for (int row = 0; row < rows; ++row) frames.push_back(at(x, 12 + row * 108));
  return frames;
}

std::vector<ScreenRect> joined(std::vector<ScreenRect> a, const std::vector<ScreenRect>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Case {
  const char* what;
  std::vector<ScreenRect> shown;
  ScreenRect expected;
  ScreenRect area = kScreen;
  int width = kWidth;
  int height = kHeight;
};

TEST(NoticeStacking, PlacesTheNewNotice) {
  const std::vector<Case> cases{
      {"empty screen", {}, at(868, 12)},
      {"below the one shown", {at(868, 12)}, at(868, 120)},
      {"gap at the top reused", {at(868, 120), at(868, 228)}, at(868, 12)},
      {"gap in the middle reused", {at(868, 12), at(868, 228)}, at(868, 120)},
      {"gap short of the spacing skipped", {at(868, 12), at(868, 220)}, at(868, 328)},
      {"taller notice skips a gap of one",
       {at(868, 12), at(868, 228)},
       at(868, 336, 400, 150),
       kScreen,
       kWidth,
       150},
      {"full column: the next one to the left", column(868, 7), at(460, 12)},
      {"two full columns: the third", joined(column(868, 7), column(460, 7)), at(52, 12)},
      {"everything full: top right, over the others",
       joined(joined(column(868, 7), column(460, 7)), column(52, 7)), at(868, 12)},
      {"work area below a top panel and beside a left one", {}, at(808, 42), {60, 30, 1160, 770}},
      {"offset work area, one shown", {at(808, 42)}, at(808, 150), {60, 30, 1160, 770}},
      {"a smaller shown notice", {at(1068, 12, 200, 50)}, at(868, 70)},
      {"a wider shown notice blocks the next column's row",
       joined({at(668, 12, 600, 100)}, column(868, 7)), at(460, 120)},
      {"notice wider than the work area: top right", {}, at(-132, 12, 1400, 100), kScreen, 1400},
      {"empty and hostile frames ignored, no overflow",
       {at(868, 12, 0, 100), at(868, 12, 400, -5), at(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX),
        at(INT_MIN, INT_MIN, INT_MAX, INT_MAX)},
       at(868, 12)},
  };
  for (const Case& c : cases) {
    // Other processes' notices come in no particular order.
    for (const auto& shown : {c.shown, std::vector(c.shown.rbegin(), c.shown.rend())}) {
      EXPECT_EQ(stackedNoticeFrame(shown, c.area, c.width, c.height, kMargin, kSpacing), c.expected)
          << c.what;
    }
  }
}

// Notices arriving one by one fill every place without overlap, inside the work area, and the
// place of one that ends goes to the next.
TEST(NoticeStacking, FillsTheScreenThenReusesAFreedPlace) {
  std::vector<ScreenRect> shown;
  for (int n = 0; n < 21; ++n) {
    const ScreenRect f = stackedNoticeFrame(shown, kScreen, kWidth, kHeight, kMargin, kSpacing);
    EXPECT_GE(f.x, kMargin);
    EXPECT_LE(f.y + f.height, kScreen.height - kMargin);
    for (const ScreenRect& s : shown) {
      EXPECT_TRUE(f.x + f.width + kSpacing <= s.x || s.x + s.width + kSpacing <= f.x ||
                  f.y + f.height + kSpacing <= s.y || s.y + s.height + kSpacing <= f.y)
          << "notice " << n;
    }
    shown.push_back(f);
  }
  EXPECT_EQ(stackedNoticeFrame(shown, kScreen, kWidth, kHeight, kMargin, kSpacing), at(868, 12));
  const ScreenRect freed = shown[10];
  shown.erase(shown.begin() + 10);
  EXPECT_EQ(stackedNoticeFrame(shown, kScreen, kWidth, kHeight, kMargin, kSpacing), freed);
}

}  // namespace
}  // namespace brevinor
