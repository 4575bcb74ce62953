#pragma once

#include <span>

namespace brevinor {

/// A rectangle on the screen, in root-window pixels.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

/// Where a new notice of width × height goes, given the notices already shown.
///
/// Notices stack in columns from the work area's top-right corner, `margin` from its edges and
/// `spacing` apart from every shown notice. Within a column the highest free place wins, so a gap
/// left by a notice that ended is filled again; a full column continues in the next one to the
/// left. When no place is free (or the notice does not fit the work area at all), the top-right
/// place is returned: the notice must still show, over the others.
///
/// The shown frames come from other processes and are not trusted: empty or negative sizes are
/// ignored and no arithmetic on them overflows.
ScreenRect stackedNoticeFrame(std::span<const ScreenRect> shown, ScreenRect workArea, int width,
                              int height, int margin, int spacing);

}  // namespace brevinor
