#include "notification/notice_stacking.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace brevinor {
namespace {

// 64-bit edges: a shown frame read from another client may hold any 32-bit values.
struct Box {
  std::int64_t left, top, right, bottom;
};

Box boxOf(const ScreenRect& r) {
  return {r.x, r.y, std::int64_t{r.x} + r.width, std::int64_t{r.y} + r.height};
}

bool intersects(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

ScreenRect stackedNoticeFrame(std::span<const ScreenRect> shown, ScreenRect workArea, int width,
                              int height, int margin, int spacing) {
  const Box area = boxOf(workArea);
  const std::int64_t firstX = area.right - margin - width;
  const std::int64_t firstY = area.top + margin;
  const ScreenRect topRight{static_cast<int>(firstX), static_cast<int>(firstY), width, height};
  if (width <= 0 || height <= 0) return topRight;
  spacing = std::max(spacing, 0);  // a column step of zero or less would never end

  // Each shown notice, grown by the spacing: a new frame must keep clear of the grown box, so
  // touching it leaves exactly `spacing` between the two.
  std::vector<Box> taken;
  // The highest free place in a column is the top or just below some notice.
  std::vector<std::int64_t> tops{firstY};
  for (const ScreenRect& s : shown) {
    if (s.width <= 0 || s.height <= 0) continue;
    const Box b = boxOf(s);
    taken.push_back({b.left - spacing, b.top - spacing, b.right + spacing, b.bottom + spacing});
    if (b.bottom + spacing > firstY) tops.push_back(b.bottom + spacing);
  }
  std::sort(tops.begin(), tops.end());

  const std::int64_t lowestTop = area.bottom - margin - height;
  for (std::int64_t x = firstX; x >= area.left + margin; x -= std::int64_t{width} + spacing) {
    for (const std::int64_t y : tops) {
      if (y > lowestTop) break;
      const Box frame{x, y, x + width, y + height};
      if (std::none_of(taken.begin(), taken.end(),
                       [&](const Box& t) { return intersects(frame, t); })) {
        return {static_cast<int>(x), static_cast<int>(y), width, height};
      }
    }
  }
  return topRight;
}

}  // namespace brevinor
