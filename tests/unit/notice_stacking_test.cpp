#include "notification/notice_stacking.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "notification/notice_slot_claim.h"

using namespace brevinor;

ScreenRect at(int x, int y, int width = 400, int height = 100) {
  return {x, y, width, height};
}

/// Seven notices in a column at each x, after `more`.
std::vector<ScreenRect> columns(std::vector<int> xs, std::vector<ScreenRect> more = {}) {
  for (const int x : xs) {
    for (int row = 0; row < 7; ++row) more.push_back(at(x, 12 + row * 108));
  }
  return more;
}

TEST(NoticeStackingTest, PlacesTheNewNoticeAtTheHighestFreePlaceFromTheRight) {
  // A 1280×800 screen of 400×100 notices, 12 px from the edges and 8 px apart: columns at x 868,
  // 460 and 52, seven rows each at y 12, 120, …, 660.
  constexpr ScreenRect screen{0, 0, 1280, 800};
  const std::pair<std::vector<ScreenRect>, ScreenRect> cases[] = {
      // clang-format off
      {{}, at(868, 12)}, {{at(868, 12)}, at(868, 120)},
      {{at(868, 120), at(868, 228)}, at(868, 12)},  // a gap at the top reused
      {{at(868, 12), at(868, 228)}, at(868, 120)},  // a gap in the middle reused
      {{at(868, 12), at(868, 220)}, at(868, 328)},  // a gap short of the spacing skipped
      {columns({868}), at(460, 12)},  // a full column: the next one to the left
      {columns({868, 460, 52}), at(868, 12)},  // all full: top right, over the others
      {columns({868}, {at(668, 12, 600, 100)}), at(460, 120)},  // a wider one shown
      {{at(868, 12, 0, 100), at(868, 12, 400, -5), at(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX),
        at(INT_MIN, INT_MIN, INT_MAX, INT_MAX)}, at(868, 12)},  // empty and hostile frames ignored
      // clang-format on
  };
  for (const auto& [shown, expected] : cases) {
    // Other processes' notices come in no particular order.
    for (const auto& order : {shown, std::vector(shown.rbegin(), shown.rend())}) {
      EXPECT_EQ(stackedNoticeFrame(order, screen, 400, 100, 12, 8), expected) << order.size();
    }
  }
  EXPECT_EQ(stackedNoticeFrame(std::vector{at(868, 228), at(868, 12)}, screen, 400, 150, 12, 8),
            at(868, 336, 400, 150));  // too tall for the gap
  EXPECT_EQ(stackedNoticeFrame({}, {60, 30, 1160, 770}, 400, 100, 12, 8), at(808, 42));
  EXPECT_EQ(stackedNoticeFrame({}, screen, 1400, 100, 12, 8), at(-132, 12, 1400, 100));
}

TEST(NoticeSlotClaimTest, RunsStackByTheirHeldSlotsAndReuseAFreedOneInTheUsersOwnFolderOnly) {
  char folder[] = "/tmp/brevinor-slots-XXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  const auto place = [](std::span<const ScreenRect> shown) {
    return stackedNoticeFrame(shown, {0, 0, 1280, 800}, 400, 100, 12, 8);
  };
  auto first = std::make_unique<NoticeSlotClaim>(folder, place);
  NoticeSlotClaim second(folder, place);
  EXPECT_EQ(first->frame(), at(868, 12));
  EXPECT_EQ(second.frame(), at(868, 120));
  first.reset();  // its run ended: the top place is free again
  NoticeSlotClaim third(folder, place);
  EXPECT_EQ(std::make_pair(third.slot(), third.frame()), std::make_pair(0, at(868, 12)));
  chmod(folder, 0755);  // a folder others may reach: placed alone, nothing held
  NoticeSlotClaim shared(folder, place);
  EXPECT_EQ(std::make_pair(shared.slot(), shared.frame()), std::make_pair(-1, at(868, 12)));
  std::filesystem::remove_all(folder);
}
