#include "app/card/blur_behind.h"

#include <memory>

#include "app/card/card_shadow.h"
#include "app/card/rounded_card.h"
#include "app/wayland/blur_manager.h"
#include "app/x11/blur_region_property.h"

namespace brevinor {
namespace {

struct CardBlur {
  GtkWidget* card;
  double radius;
  std::unique_ptr<BlurManager> wayland;  // none on X11
};

GtkWidget* findCard(GtkWidget* widget) {
  if (gtk_style_context_has_class(gtk_widget_get_style_context(widget), "card")) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* card = nullptr;
  for (GList* c = children; c && !card; c = c->next) card = findCard(GTK_WIDGET(c->data));
  g_list_free(children);
  return card;
}

/// Asks again for the card's place in its window, once the window is there.
void follow(gpointer data) {
  const auto* blur = static_cast<const CardBlur*>(data);
  GtkWidget* top = gtk_widget_get_toplevel(blur->card);
  GdkWindow* window = gtk_widget_get_window(top);
  GtkAllocation card;
  gtk_widget_get_allocation(blur->card, &card);
  int x = 0, y = 0;
  if (!window || card.width <= 1 || card.height <= 1 ||
      !gtk_widget_translate_coordinates(blur->card, top, 0, 0, &x, &y))
    return;
  // The allocation takes in the card's margin, where its shadow falls: only the card is blurred.
  const GtkBorder margin = cardShadowMargin(GTK_WINDOW(top));
  x += margin.left;
  y += margin.top;
  card.width -= margin.left + margin.right;
  card.height -= margin.top + margin.bottom;
  // X11 counts the window's pixels, Wayland the surface's logical ones.
  const int scale = blur->wayland ? 1 : gdk_window_get_scale_factor(window);
  cairo_region_t* region = roundedCardRegion(card.width, card.height, blur->radius, scale);
  cairo_region_translate(region, x * scale, y * scale);
  if (blur->wayland) {
    blur->wayland->request(window, region);
    gtk_widget_queue_draw(top);  // the blur comes with the surface's next commit
  } else {
    requestX11Blur(window, region);
  }
  cairo_region_destroy(region);
}

}  // namespace

bool blurBehindCard(GtkWindow* window, double radius) {
  GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window));
  GtkWidget* card = findCard(GTK_WIDGET(window));
  if (!card) return false;
  auto blur = std::make_unique<CardBlur>(CardBlur{card, radius, BlurManager::offeredBy(display)});
  if (!blur->wayland && !x11CompositorBlurs(display)) return false;
  // After each handler: the card has its new allocation, the window is there.
  const auto after = GConnectFlags(G_CONNECT_AFTER | G_CONNECT_SWAPPED);
  g_signal_connect_data(card, "size-allocate", G_CALLBACK(follow), blur.get(), nullptr, after);
  g_signal_connect_data(window, "map", G_CALLBACK(follow), blur.get(), nullptr, after);
  gtk_style_context_add_class(gtk_widget_get_style_context(GTK_WIDGET(window)), "blurred");
  g_object_set_data_full(G_OBJECT(window), "brevinor-card-blur", blur.release(),
                         [](gpointer p) { delete static_cast<CardBlur*>(p); });
  return true;
}

}  // namespace brevinor
