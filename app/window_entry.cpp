// The window module's entry: a GTK application that loads the notice's window, lets the
// controller fill it, shows it and runs until the controller ends the application.

#include <X11/Xlib.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <optional>

#include "app/app_delegate.h"
#include "app/color_scheme.h"
#include "app/desktop_notification.h"
#include "app/glib_log_routing.h"
#include "app/gobject_ptr.h"
#include "app/gtk_application_services.h"
#include "app/notice_request.h"
#include "app/notice_window.h"
#include "app/screen_slot.h"
#include "app/window_controller.h"

namespace brevinor {
namespace {

constexpr int kScreenMargin = 12;
constexpr int kNoticeSpacing = 8;  // between notices stacked in the corner
constexpr double kCardRadius = 14.0;

/// Everything one run of the notice owns, from the application's start-up to its shutdown.
class NoticeApplication {
 public:
  explicit NoticeApplication(const NoticeRequest& request) : request_(request) {}

  int run() {
    // No application id: nothing registers on the session bus, and two notices for two
    // applications are always two processes.
    application_ = adoptObject(gtk_application_new(nullptr, G_APPLICATION_NON_UNIQUE));
    g_signal_connect(application_.get(), "startup", G_CALLBACK(onStartup), this);
    g_signal_connect(application_.get(), "activate", G_CALLBACK(onActivate), this);
    g_signal_connect(application_.get(), "shutdown", G_CALLBACK(onShutdown), this);
    // The program's arguments are the controller's, never GTK's: a name such as "--help" must
    // not reach GTK's option parser.
    return g_application_run(G_APPLICATION(application_.get()), 0, nullptr);
  }

 private:
  static void onStartup(GApplication* application, gpointer self) {
    // Closing the window does not end the run; only the controller's timer does.
    g_application_hold(application);
    auto* notice = static_cast<NoticeApplication*>(self);
    // GLib's shared session-bus connection raises SIGTERM when the bus goes away (a session
    // started with dbus-run-session that ends); the notice still has its 15 seconds to run.
    if (GDBusConnection* bus = g_application_get_dbus_connection(application)) {
      g_dbus_connection_set_exit_on_close(bus, FALSE);
    }
    notice->colorScheme_ = followDesktopColorScheme();
    NoticeWindow::useStyle();
  }

  static void onActivate(GApplication*, gpointer self) {
    static_cast<NoticeApplication*>(self)->loadWindow();
  }

  static void onShutdown(GApplication*, gpointer self) {
    static_cast<NoticeApplication*>(self)->delegate_.applicationWillTerminate();
  }

  void loadWindow() {
    if (notice_) return;  // activated once per run
    notice_.emplace(request_.appName ? request_.appName : "");
    GtkWindow* window = notice_->window();
    services_.emplace(G_APPLICATION(application_.get()), window, request_.resourceDirectory);
    gtk_application_add_window(application_.get(), window);

    useTranslucencyOrShape();
    useOwnIconAsApplicationIcon();
    placeInTopRightCorner();

    windowController_ = std::make_shared<WindowController>(window);
    windowController_->windowDidLoad();
    request_.presenter->present({notice_->icon(), notice_->text(), notice_->card(), *services_});
    gtk_widget_show(GTK_WIDGET(window));
    delegate_.applicationDidFinishLaunching();
  }

  /// With a compositor the card's rounded corners are see-through; without one, the window is
  /// cut to the card's shape so that no black corners show.
  void useTranslucencyOrShape() {
    GdkScreen* screen = gtk_widget_get_screen(GTK_WIDGET(window()));
    GdkVisual* rgba = gdk_screen_get_rgba_visual(screen);
    if (rgba && gdk_screen_is_composited(screen)) {
      gtk_widget_set_visual(GTK_WIDGET(window()), rgba);
      return;
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(GTK_WIDGET(window())), "opaque");
    g_signal_connect(window(), "size-allocate", G_CALLBACK(shapeToRoundedCard), nullptr);
  }

  static void shapeToRoundedCard(GtkWidget* window, GdkRectangle* allocation, gpointer) {
    const int width = allocation->width;
    const int height = allocation->height;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A1, width, height);
    cairo_t* cr = cairo_create(mask);
    const double r = kCardRadius;
    cairo_new_sub_path(cr);
    cairo_arc(cr, width - r, r, r, -M_PI / 2, 0);
    cairo_arc(cr, width - r, height - r, r, 0, M_PI / 2);
    cairo_arc(cr, r, height - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
    gtk_widget_shape_combine_region(window, region);
    cairo_region_destroy(region);
    cairo_surface_destroy(mask);
  }

  /// The package's icon is the application's own icon, until a rebranding replaces it.
  void useOwnIconAsApplicationIcon() {
    if (const auto path = services_->resourcePath("AppIcon", "icns")) {
      if (auto image = services_->loadImage(*path)) services_->setApplicationIcon(image);
    }
  }

  /// The notice stacks below the notices of other runs in the top-right corner. Its place is
  /// claimed when gtk_widget_show realizes the window: the text is in by then, so the claimed frame
  /// has the window's final size, and the move still comes before the window is mapped.
  void placeInTopRightCorner() {
    auto claim = +[](GtkWidget* widget, gpointer) {
      GdkDisplay* display = gtk_widget_get_display(widget);
      GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
      if (!monitor) monitor = gdk_display_get_monitor(display, 0);
      if (!monitor) return;
      GdkRectangle area;
      gdk_monitor_get_workarea(monitor, &area);
      GtkRequisition size;
      gtk_widget_get_preferred_size(widget, nullptr, &size);
      const ScreenRect place =
          claimNoticePlace(GTK_WINDOW(widget), {area.x, area.y, area.width, area.height},
                           size.width, size.height, kScreenMargin, kNoticeSpacing);
      gtk_window_move(GTK_WINDOW(widget), place.x, place.y);
    };
    // Not realized yet: the visual chosen above must be set before that.
    g_signal_connect(window(), "realize", G_CALLBACK(claim), nullptr);
  }

  /// The notice's window, once loaded; owned by GTK's list of toplevels.
  GtkWindow* window() const { return notice_->window(); }

  const NoticeRequest& request_;
  GObjectPtr<GtkApplication> application_;
  GObjectPtr<GSettings> colorScheme_;
  std::optional<NoticeWindow> notice_;
  std::optional<GtkApplicationServices> services_;
  std::shared_ptr<WindowController> windowController_;
  AppDelegate delegate_;
};

// Set once, before the display is watched; the handler below cannot take an argument.
void (*logLine)(const char* message) = nullptr;

/// The display went away under the shown notice. GDK's own handler prints a message of its own
/// beside the log and exits; this run logs one line instead and ends at once with the status of a
/// notice that could not be shown to its end.
int onDisplayLost(Display*) {
  if (logLine) logLine("Display closed, Brevinor ended");
  _exit(1);
}

}  // namespace
}  // namespace brevinor

extern "C" __attribute__((visibility("default"))) int brevinor_show_notice(
    const brevinor::NoticeRequest* request) {
  // Before anything of GLib can speak: its diagnostics are log lines like any other.
  brevinor::routeGLibLogTo(request->log);
  // Keep-above, every workspace and the move restriction are X11 window-manager properties; on
  // a Wayland session the notice goes through XWayland to keep them. GDK_BACKEND in the
  // environment (some Wayland sessions export "wayland") would override the allowed backends.
  g_setenv("GDK_BACKEND", "x11", TRUE);
  gdk_set_allowed_backends("x11");
  // The notice draws nothing with OpenGL. Without this, the first GTK program on a display probes
  // GLX for its visuals, which loads the GL driver (here about 50 MiB with its compiler) and
  // costs the first notice many milliseconds.
  g_setenv("GDK_GL", "disable", FALSE);
  // Without an X display (say, a Wayland session without XWayland) the desktop's notification
  // service may still tell the user.
  if (!gtk_init_check(nullptr, nullptr)) return brevinor::showAsDesktopNotification(*request);
  // After gtk_init: opening the display installs GDK's handler, which this one replaces.
  brevinor::logLine = request->log;
  XSetIOErrorHandler(brevinor::onDisplayLost);
  g_set_prgname("brevinor");
  g_set_application_name("Brevinor");
  brevinor::NoticeApplication notice(*request);
  return notice.run();
}
