#pragma once

#include <cairo.h>

namespace brevinor {

/// The card's rounded outline, `width` by `height` logical pixels with corners of `radius`, as the
/// whole pixels at `scale` pixels to the logical one that a mask of it covers. The caller owns
/// the region.
cairo_region_t* roundedCardRegion(int width, int height, double radius, int scale);

}  // namespace brevinor
