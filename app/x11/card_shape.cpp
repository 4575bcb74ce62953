#include "app/x11/card_shape.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <vector>

#include "app/card/rounded_card.h"

namespace brevinor {
namespace {

struct CardCorners {
  double radius;
};

void cut(GtkWidget* window, CardCorners* corners) {
  GdkWindow* surface = gtk_widget_get_window(window);
  if (!surface || !GDK_IS_X11_WINDOW(surface)) return;
  // GDK would multiply a region in logical pixels by the scale; the mask is drawn at the X
  // window's own pixels instead.
  const int scale = gtk_widget_get_scale_factor(window);
  const int width = gtk_widget_get_allocated_width(window);
  const int height = gtk_widget_get_allocated_height(window);
  if (width <= 0 || height <= 0) return;
  cairo_region_t* region = roundedCardRegion(width, height, corners->radius, scale);
  std::vector<XRectangle> rectangles(static_cast<std::size_t>(cairo_region_num_rectangles(region)));
  for (std::size_t i = 0; i < rectangles.size(); ++i) {
    cairo_rectangle_int_t box;
    cairo_region_get_rectangle(region, static_cast<int>(i), &box);
    rectangles[i] = {static_cast<short>(box.x), static_cast<short>(box.y),
                     static_cast<unsigned short>(box.width),
                     static_cast<unsigned short>(box.height)};
  }
  cairo_region_destroy(region);
  XShapeCombineRectangles(GDK_WINDOW_XDISPLAY(surface), GDK_WINDOW_XID(surface), ShapeBounding, 0,
                          0, rectangles.data(), static_cast<int>(rectangles.size()), ShapeSet,
                          YXBanded);
}

}  // namespace

void shapeToRoundedCard(GtkWidget* window, double radius) {
  // The window's own background is drawn only when the application does not paint it.
  gtk_widget_set_app_paintable(window, FALSE);
  auto* corners = new CardCorners{radius};
  g_object_set_data_full(G_OBJECT(window), "brevinor-card-corners", corners,
                         [](gpointer data) { delete static_cast<CardCorners*>(data); });
  // The first allocation may come before the X window exists.
  g_signal_connect_after(window, "realize", G_CALLBACK(cut), corners);
  g_signal_connect(window, "size-allocate",
                   G_CALLBACK(+[](GtkWidget* w, GdkRectangle*, CardCorners* c) { cut(w, c); }),
                   corners);
  g_signal_connect(window, "notify::scale-factor",
                   G_CALLBACK(+[](GtkWidget* w, GParamSpec*, CardCorners* c) { cut(w, c); }),
                   corners);
}

}  // namespace brevinor
