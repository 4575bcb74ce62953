// The window module's entry: once the program's checks want the notice, a GTK application that
// prepares the notice's window, lets the controller fill it, shows it and runs until the
// controller ends the application. All of it runs on the thread that calls the entry.

#include <X11/Xlib.h>
#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include "app/app_delegate.h"
#include "app/card/blur_behind.h"
#include "app/card/card_shadow.h"
#include "app/card/color_scheme.h"
#include "app/card/gobject_ptr.h"
#include "app/card/gtk_application_services.h"
#include "app/card/notice_window.h"
#include "app/glib_log_routing.h"
#include "app/notice_request.h"
#include "app/notification_service/desktop_notification.h"
#include "app/wayland/layer_shell_probe.h"
#include "app/wayland/layer_surface.h"
#include "app/x11/card_shape.h"
#include "app/x11/rectangle_shadowing_compositor.h"
#include "app/x11/screen_slot.h"
#include "app/x11/window_controller.h"
#include "platform/wayland_socket.h"

namespace brevinor {
namespace {

constexpr int kScreenMargin = 12;
constexpr int kNoticeSpacing = 8;  // between notices stacked in the corner
constexpr double kCardRadius = 14.0;

// How long the card, once built, waits for the desktop's settings. They are read on a thread of
// their own meanwhile and are there by then (read within 15 ms of the reader's start with eight
// runs started together on two cores, and waited for at most 10 us); a reader held up longer (a
// settings backend stuck on a file) leaves the card to GTK's theme rather than delay it.
constexpr gint64 kSettingsPatience = 100 * G_TIME_SPAN_MILLISECOND;

// The reader's result, handed over as soon as it is read: the reader then goes on to the session
// bus, which may never answer. GLib's statics have nothing to destroy at exit, when the reader
// may still be stuck.
GMutex settingsLock;
GCond settingsHandedOver;
bool settingsDelivered = false;
bool settingsAbandoned = false;  // the card stopped waiting: the reader drops what it read
GSettings* deliveredSettings = nullptr;

/// The settings reader's thread: the desktop's interface settings, then the session bus.
gpointer readDesktopSettings(gpointer) {
  auto settings = desktopInterfaceSettings();
  const bool listening = settings != nullptr;
  g_mutex_lock(&settingsLock);
  if (!settingsAbandoned) deliveredSettings = settings.release();
  settingsDelivered = true;
  g_cond_signal(&settingsHandedOver);
  g_mutex_unlock(&settingsLock);
  // The settings hear of changes over the session bus. Its shared connection raises SIGTERM when
  // the bus goes away (a session started with dbus-run-session that ends); the notice still has
  // its 15 seconds to run. A bus that accepts and never answers holds this thread alone.
  if (listening) {
    if (auto bus = adoptObject(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr))) {
      g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
    }
  }
  return nullptr;
}

/// What `reader` hands over within the patience, or none; the reader is let go either way.
GObjectPtr<GSettings> awaitDesktopSettings(GThread* reader) {
  const gint64 deadline = g_get_monotonic_time() + kSettingsPatience;
  g_mutex_lock(&settingsLock);
  while (!settingsDelivered && g_cond_wait_until(&settingsHandedOver, &settingsLock, deadline)) {
  }
  settingsAbandoned = true;
  auto settings = adoptObject(std::exchange(deliveredSettings, nullptr));
  g_mutex_unlock(&settingsLock);
  g_thread_unref(reader);
  return settings;
}

/// Everything one run of the notice owns, from the application's start-up to its shutdown.
class NoticeApplication {
 public:
  explicit NoticeApplication(const NoticeRequest& request) : request_(request) {}

  ~NoticeApplication() {
    if (loop_) g_main_loop_unref(loop_);
  }
  NoticeApplication(const NoticeApplication&) = delete;
  NoticeApplication& operator=(const NoticeApplication&) = delete;

  /// Styles, builds and lays out the window without showing it, in the colours the desktop's
  /// settings (read meanwhile by `settingsReader`, when there is one) prefer. A plain main loop is
  /// all the notice needs of an application: no GtkApplication, whose session-bus connection (or,
  /// without a session bus, the attempt to start one) cost the first frame some 30 ms.
  void prepare(GThread* settingsReader) {
    loop_ = g_main_loop_new(nullptr, FALSE);
    NoticeWindow::useStyle();
    buildWindow();
    colorScheme_ = followDesktopColorScheme(settingsReader ? awaitDesktopSettings(settingsReader)
                                                           : desktopInterfaceSettings());
    // The first layout loads the theme's styles and the fonts while nothing waits for them.
    gtk_widget_get_preferred_size(GTK_WIDGET(window()), nullptr, nullptr);
  }

  /// Shows the window and runs until the controller ends the application.
  int run() {
    showWindow();
    delegate_.applicationDidFinishLaunching();
    // Closing the window does not end the run; only the controller's timer does.
    g_main_loop_run(loop_);
    delegate_.applicationWillTerminate();
    return 0;
  }

 private:
  /// The window from its layout, its visual and the package's icon decoded at the size shown:
  /// what the first frame needs that does not depend on the controller. Nothing is realized or
  /// mapped: the window claims its place when shown.
  void buildWindow() {
    notice_.emplace(request_.appName ? request_.appName : "");
    GtkWindow* window = notice_->window();
    services_.emplace([loop = loop_] { g_main_loop_quit(loop); }, window,
                      request_.resourceDirectory);

    useTranslucencyOrShape();
    useOwnIconAsApplicationIcon();
    if (onLayerShell()) {
      makeLayerSurface(window, kScreenMargin, kNoticeSpacing);
    } else {
      placeInTopRightCorner();
    }
  }

  void showWindow() {
    GtkWindow* window = notice_->window();
    if (onLayerShell()) {
      raiseToOverlayAfterOneSecond(window);
    } else {
      windowController_ = std::make_shared<WindowController>(window);
      windowController_->windowDidLoad();
    }
    request_.presenter->present({notice_->icon(), notice_->text(), notice_->card(), *services_});
    gtk_widget_show(GTK_WIDGET(window));
  }

  /// With a compositor the card's rounded corners are see-through, it draws its own shadow unless
  /// the compositor shadows the whole window anyway, and what lies behind the card is blurred where
  /// the compositor offers that; without one, the window is cut to the card's shape so that no
  /// black corners show.
  void useTranslucencyOrShape() {
    GdkScreen* screen = gtk_widget_get_screen(GTK_WIDGET(window()));
    GdkVisual* rgba = gdk_screen_get_rgba_visual(screen);
    if (rgba && gdk_screen_is_composited(screen)) {
      gtk_widget_set_visual(GTK_WIDGET(window()), rgba);
      if (!compositorShadowsWholeWindow(gtk_widget_get_display(GTK_WIDGET(window())))) {
        useCardShadow(window());
      }
      blurBehindCard(window(), kCardRadius);
      return;
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(GTK_WIDGET(window())), "opaque");
    shapeToRoundedCard(GTK_WIDGET(window()), kCardRadius);
  }

  /// The package's icon is the application's own icon, until a rebranding replaces it.
  void useOwnIconAsApplicationIcon() {
    if (const auto path = services_->resourcePath("AppIcon", "icns")) {
      if (auto image = services_->loadImage(*path)) services_->setApplicationIcon(image);
    }
  }

  /// The notice stacks below the notices of other runs in the top-right corner. Its place is
  /// claimed when gtk_widget_show realizes the window: the text is in by then, so the claimed frame
  /// has the window's final size, and the move still comes before the window is mapped. The
  /// claimed frame is the card's, as the user sees it: the window reaches past it by its shadow.
  void placeInTopRightCorner() {
    auto claim = +[](GtkWidget* widget, gpointer) {
      GdkDisplay* display = gtk_widget_get_display(widget);
      GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
      if (!monitor) monitor = gdk_display_get_monitor(display, 0);
      if (!monitor) return;
      GdkRectangle area;
      gdk_monitor_get_workarea(monitor, &area);
      const GtkRequisition size = shownCardSize(GTK_WINDOW(widget));
      const GtkBorder shadow = cardShadowMargin(GTK_WINDOW(widget));
      const ScreenRect card =
          claimNoticePlace(GTK_WINDOW(widget), {area.x, area.y, area.width, area.height},
                           size.width, size.height, kScreenMargin, kNoticeSpacing);
      declareCardShadow(GTK_WINDOW(widget));
      gtk_window_move(GTK_WINDOW(widget), card.x - shadow.left, card.y - shadow.top);
    };
    // Not realized yet: the visual chosen above must be set before that.
    g_signal_connect(window(), "realize", G_CALLBACK(claim), nullptr);
  }

  /// GDK took the Wayland backend only where the compositor offers layer surfaces.
  static bool onLayerShell() { return GDK_IS_WAYLAND_DISPLAY(gdk_display_get_default()); }

  /// The notice's window, once loaded; owned by GTK's list of toplevels.
  GtkWindow* window() const { return notice_->window(); }

  const NoticeRequest& request_;
  GMainLoop* loop_ = nullptr;
  GObjectPtr<GSettings> colorScheme_;
  std::optional<NoticeWindow> notice_;
  std::optional<GtkApplicationServices> services_;
  std::shared_ptr<WindowController> windowController_;
  AppDelegate delegate_;
};

// Set once, before the display is watched; the handler below cannot take an argument.
const NoticeRequest* shownRequest = nullptr;

/// The display (X server or Wayland compositor) went away under the notice. GDK's own handler
/// prints a message of its own beside the log and exits; this run logs one line instead and ends at
/// once with the status of a notice that could not be shown to its end.
int onDisplayLost(Display*) {
  if (shownRequest) shownRequest->log("Display closed, Brevinor ended");
  _exit(1);
}

}  // namespace
}  // namespace brevinor

extern "C" __attribute__((visibility("default"))) int brevinor_show_notice(
    const brevinor::NoticeRequest* request) {
  // Before anything of GLib can speak: its diagnostics are log lines like any other.
  brevinor::routeGLibLogTo(request->log);
  // Loading the module was the costly part of preparing; the rest waits until the notice is
  // wanted, for a run the launching-process check turns away must leave nothing but its own lines
  // and end with its own status. Opening the display lets Xlib write on descriptor 2 by itself (a
  // display whose cookie the run lacks), and so does fontconfig (a broken fonts.conf); the
  // settings, the bus and the fonts start threads of GLib's, and GLib aborts the process when it
  // cannot have one (the user at the process limit).
  request->waitUntilWanted();
  // GTK's style parser takes a number as unreadable when errno is set after g_ascii_strtod, whose
  // first call sets up its C locale under GLib's one-time lock. Waiting for that lock (the settings
  // reader and Pango's font thread register their types under it) leaves EAGAIN in errno, and the
  // card lost its padding and size now and then. Set up here, before any of those threads.
  g_ascii_strtod("0", nullptr);
  // The program has set the environment and the locale for GTK before this thread started, and
  // left GDK_BACKEND out of it: the path is chosen here. A compositor that offers layer surfaces
  // gets the card as one; elsewhere (GNOME's mutter, an X11 session) it goes through X11, which
  // keeps it above, sticky and in place.
  const auto socket =
      brevinor::waylandSocketPath(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_RUNTIME_DIR"));
  const bool layerShell = socket && brevinor::compositorOffersLayerShell(*socket);
  gdk_set_allowed_backends(layerShell ? "wayland" : "x11");
  gtk_disable_setlocale();
  bool opened = gtk_init_check(nullptr, nullptr);
  if (!opened && layerShell) {
    // The compositor went away after it answered: XWayland may be gone with it, or not.
    gdk_set_allowed_backends("x11");
    opened = gtk_init_check(nullptr, nullptr);
  }
  // Without an X display (say, a Wayland session without XWayland) the desktop's notification
  // service may still tell the user.
  if (!opened) return brevinor::showAsDesktopNotification(*request);
  GdkDisplay* display = gdk_display_get_default();
  brevinor::shownRequest = request;
  if (GDK_IS_WAYLAND_DISPLAY(display)) {
    brevinor::onCompositorGone(display, [] { brevinor::onDisplayLost(nullptr); });
  } else if (GDK_IS_X11_DISPLAY(display)) {
    // After gtk_init: opening the display installs GDK's handler, which this one replaces.
    XSetIOErrorHandler(brevinor::onDisplayLost);
    // The program took the id from the environment; GDK completes the launcher's startup
    // notification with it when the card is shown.
    if (*request->startupId && g_utf8_validate(request->startupId, -1, nullptr)) {
      gdk_x11_display_set_startup_notification_id(display, request->startupId);
    }
  }
  g_set_prgname("brevinor");
  g_set_application_name("Brevinor");
  // Loading the settings backend costs about as much as the theme's styles that follow: the
  // desktop's settings are read on a thread of their own meanwhile (or later on this one, when no
  // thread can be had).
  GThread* settingsReader =
      g_thread_try_new("settings", brevinor::readDesktopSettings, nullptr, nullptr);
  // Creating the font map starts reading the font configuration on a thread of Pango's, which
  // the first layout would otherwise wait for.
  pango_cairo_font_map_get_default();
  brevinor::NoticeApplication notice(*request);
  notice.prepare(settingsReader);
  return notice.run();
}
