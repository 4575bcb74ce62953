#include "app/card/card_shadow.h"

#include <gdk/gdkx.h>

namespace brevinor {
namespace {

constexpr const char* kShadowClass = "shadowed";

/// The input region follows the window's size: only the card takes the pointer.
void keepInputToCard(GtkWidget* widget, GdkRectangle* allocation, gpointer) {
  const GtkBorder m = cardShadowMargin(GTK_WINDOW(widget));
  const cairo_rectangle_int_t card{m.left, m.top, allocation->width - m.left - m.right,
                                   allocation->height - m.top - m.bottom};
  cairo_region_t* region = cairo_region_create_rectangle(&card);
  gtk_widget_input_shape_combine_region(widget, region);
  cairo_region_destroy(region);
}

}  // namespace

void useCardShadow(GtkWindow* window) {
  gtk_style_context_add_class(gtk_widget_get_style_context(GTK_WIDGET(window)), kShadowClass);
  g_signal_connect(window, "size-allocate", G_CALLBACK(keepInputToCard), nullptr);
}

GtkBorder cardShadowMargin(GtkWindow* window) {
  GtkBorder margin{0, 0, 0, 0};
  GtkWidget* card = gtk_bin_get_child(GTK_BIN(window));
  if (!card || !gtk_style_context_has_class(gtk_widget_get_style_context(GTK_WIDGET(window)),
                                            kShadowClass)) {
    return margin;
  }
  GtkStyleContext* style = gtk_widget_get_style_context(card);
  gtk_style_context_get_margin(style, gtk_style_context_get_state(style), &margin);
  return margin;
}

GtkRequisition shownCardSize(GtkWindow* window) {
  GtkRequisition size;
  gtk_widget_get_preferred_size(GTK_WIDGET(window), nullptr, &size);
  const GtkBorder m = cardShadowMargin(window);
  return {size.width - m.left - m.right, size.height - m.top - m.bottom};
}

void declareCardShadow(GtkWindow* window) {
  GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
  const GtkBorder m = cardShadowMargin(window);
  // On a layer surface the extents would only set a window geometry that nothing reads there.
  if (surface && GDK_IS_X11_WINDOW(surface) && (m.left || m.right || m.top || m.bottom)) {
    gdk_window_set_shadow_width(surface, m.left, m.right, m.top, m.bottom);
  }
}

}  // namespace brevinor
