#include "app/card/rounded_card.h"

#include <gdk/gdk.h>

#include <cmath>

namespace brevinor {

cairo_region_t* roundedCardRegion(int width, int height, double radius, int scale) {
  cairo_surface_t* mask =
      cairo_image_surface_create(CAIRO_FORMAT_A1, width * scale, height * scale);
  cairo_t* cr = cairo_create(mask);
  cairo_scale(cr, scale, scale);
  const double r = radius;
  cairo_new_sub_path(cr);
  cairo_arc(cr, width - r, r, r, -M_PI / 2, 0);
  cairo_arc(cr, width - r, height - r, r, 0, M_PI / 2);
  cairo_arc(cr, r, height - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
  cairo_surface_destroy(mask);
  return region;
}

}  // namespace brevinor
