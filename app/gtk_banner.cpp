#include "app/gtk_banner.h"

#include <cairo.h>

#include <algorithm>

namespace brevinor {

void GtkBannerIcon::setImage(std::shared_ptr<const Image> image) {
  const auto* picture = dynamic_cast<const PixbufImage*>(image.get());
  if (!picture || !picture->pixbuf()) {
    gtk_image_clear(image_);
    return;
  }
  // Scale once to the device pixels of the square, then hand GTK a surface that knows the
  // scale, so the icon stays sharp at a scale of 2.
  const int scale = gtk_widget_get_scale_factor(GTK_WIDGET(image_));
  const int side = logicalSize_ * scale;
  GdkPixbuf* source = picture->pixbuf();
  const int width = gdk_pixbuf_get_width(source);
  const int height = gdk_pixbuf_get_height(source);
  const double ratio = static_cast<double>(side) / std::max(width, height);
  auto scaled = adoptObject(gdk_pixbuf_scale_simple(
      source, std::max(1, int(width * ratio)), std::max(1, int(height * ratio)), GDK_INTERP_HYPER));
  if (!scaled) {
    gtk_image_clear(image_);
    return;
  }
  cairo_surface_t* surface = gdk_cairo_surface_create_from_pixbuf(scaled.get(), scale, nullptr);
  gtk_image_set_from_surface(image_, surface);
  cairo_surface_destroy(surface);
}

void GtkBannerText::setStringValue(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    gtk_label_set_text(label_, text.c_str());
    return;
  }
  gchar* repaired = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  gtk_label_set_text(label_, repaired);
  g_free(repaired);
}

std::string GtkBannerText::stringValue() const {
  return gtk_label_get_text(label_);
}

void GtkBannerCard::setStateActive() {
  gtk_style_context_add_class(gtk_widget_get_style_context(card_), "active");
}

}  // namespace brevinor
