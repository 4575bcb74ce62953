#include "app/wayland/layer_surface.h"

#include <gdk/gdkwayland.h>
#include <glib-unix.h>
#include <gtk-layer-shell.h>
#include <wayland-client.h>

#include <cstdlib>

#include "app/card/card_shadow.h"
#include "notification/notice_slot_claim.h"

namespace brevinor {
namespace {

struct Spacing {
  int margin;
  int spacing;
};

/// Claims the card's place among the user's other cards and sets its margins to it. The slot is
/// held until the process ends: the lock goes with it.
void claimPlace(GtkWidget* widget, gpointer data) {
  const auto* s = static_cast<const Spacing*>(data);
  GdkDisplay* display = gtk_widget_get_display(widget);
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  GdkRectangle area{0, 0, 0, 0};
  if (monitor) gdk_monitor_get_geometry(monitor, &area);
  // Stacked as the cards the user sees; the surface reaches past its card by the shadow.
  GtkWindow* window = GTK_WINDOW(widget);
  const GtkRequisition size = shownCardSize(window);
  const GtkBorder shadow = cardShadowMargin(window);
  // Margins count from the output's edges (inside its panels' exclusive zones), whatever the
  // output's place in the layout: stack in the output's own coordinates.
  const ScreenRect output{0, 0, area.width, area.height};
  const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
  static NoticeSlotClaim* claim = new NoticeSlotClaim(
      runtimeFolder ? runtimeFolder : "", [&](std::span<const ScreenRect> shown) {
        return stackedNoticeFrame(shown, output, size.width, size.height, s->margin, s->spacing);
      });
  const ScreenRect frame = claim->frame();
  gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_TOP, frame.y - shadow.top);
  gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_RIGHT,
                       output.width - frame.x - frame.width - shadow.right);
}

}  // namespace

void makeLayerSurface(GtkWindow* window, int margin, int spacing) {
  gtk_layer_init_for_window(window);
  gtk_layer_set_namespace(window, "brevinor");
  gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_TOP);
  gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
  gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_RIGHT, TRUE);
  gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_TOP, margin);
  gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_RIGHT, margin);
  gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_NONE);
  gtk_layer_set_exclusive_zone(window, 0);
  static Spacing spacingOf{margin, spacing};
  spacingOf = {margin, spacing};
  g_signal_connect(window, "realize", G_CALLBACK(claimPlace), &spacingOf);
}

void raiseToOverlayAfterOneSecond(GtkWindow* window) {
  auto raise = +[](gpointer data) -> gboolean {
    if (auto* w = static_cast<GtkWindow*>(g_weak_ref_get(static_cast<GWeakRef*>(data)))) {
      gtk_layer_set_layer(w, GTK_LAYER_SHELL_LAYER_OVERLAY);
      // The new layer takes effect with the surface's next commit, which GTK makes only for a
      // frame; a compositor asks a hidden surface (under a fullscreen window) for none, so the
      // card would stay hidden until the fullscreen ends. Commit it now.
      if (GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(w))) {
        wl_surface_commit(gdk_wayland_window_get_wl_surface(surface));
      }
      g_object_unref(w);
    }
    return G_SOURCE_REMOVE;
  };
  auto* weak = g_new0(GWeakRef, 1);
  g_weak_ref_init(weak, window);
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, 1000, raise, weak, +[](gpointer data) {
        g_weak_ref_clear(static_cast<GWeakRef*>(data));
        g_free(data);
      });
}

void onCompositorGone(GdkDisplay* display, void (*gone)()) {
  const int fd = wl_display_get_fd(gdk_wayland_display_get_wl_display(display));
  // Checked before GDK's event source, at the default priority, would read the closed socket.
  g_unix_fd_add_full(
      G_PRIORITY_HIGH, fd, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR),
      +[](gint, GIOCondition, gpointer data) -> gboolean {
        reinterpret_cast<void (*)()>(data)();
        return G_SOURCE_REMOVE;
      },
      reinterpret_cast<gpointer>(gone), nullptr);
}

}  // namespace brevinor
