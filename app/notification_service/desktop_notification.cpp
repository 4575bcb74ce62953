#include "app/notification_service/desktop_notification.h"

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>

#include "app/card/gobject_ptr.h"
#include "app/card/gtk_application_services.h"
#include "app/card/gtk_banner.h"

namespace brevinor {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObjectPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kTitle = "Brevinor";
// A bus answers a client's greeting within milliseconds; GLib's own wait for that has no end, so a
// bus that accepts and never answers would hold the run for ever.
constexpr guint kBusPatienceMs = 2000;
// A service that does not answer must not hold the run; starting one on demand takes far less.
constexpr int kCallTimeoutMs = 5000;
// What the run's end waits for the service to take its notification back (it answers within a
// millisecond or two); the service's own expiry closes it in any case.
constexpr int kCloseTimeoutMs = 500;
// As long as the window would stay; the run closes the notification when it ends in any case.
constexpr gint32 kExpireTimeoutMs = 15000;
constexpr int kNotShownStatus = 1;

GVariant* callService(GDBusConnection* bus, const char* method, GVariant* arguments,
                      const char* replyType, GError** error, int timeoutMs = kCallTimeoutMs) {
  return g_dbus_connection_call_sync(bus, kService, kObjectPath, kInterface, method, arguments,
                                     G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, timeoutMs,
                                     nullptr, error);
}

/// The session bus, or none when there is none or it has not answered within the patience. Its
/// connection is made on a context of this call's own, which nothing runs afterwards: a connection
/// still under way then never reports to it.
GObjectPtr<GDBusConnection> sessionBus() {
  struct Wait {
    GDBusConnection* bus = nullptr;
    bool over = false;
  } wait;
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  GCancellable* cancellable = g_cancellable_new();
  g_bus_get(
      G_BUS_TYPE_SESSION, cancellable,
      [](GObject*, GAsyncResult* result, gpointer data) {
        auto& done = *static_cast<Wait*>(data);
        done.bus = g_bus_get_finish(result, nullptr);
        done.over = true;
      },
      &wait);
  GSource* timeout = g_timeout_source_new(kBusPatienceMs);
  g_source_set_callback(
      timeout,
      [](gpointer over) {
        *static_cast<bool*>(over) = true;
        return G_SOURCE_REMOVE;
      },
      &wait.over, nullptr);
  g_source_attach(timeout, context);
  while (!wait.over) g_main_context_iteration(context, TRUE);
  g_source_destroy(timeout);
  g_source_unref(timeout);
  g_cancellable_cancel(cancellable);  // lets a connection still under way give up where it can
  g_object_unref(cancellable);
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
  return adoptObject(wait.bus);
}

/// Whether the service shows markup in a body; none when the bus has no notification service.
std::optional<bool> acceptsBodyMarkup(GDBusConnection* bus) {
  GVariant* reply = callService(bus, "GetCapabilities", nullptr, "(as)", nullptr);
  if (!reply) return std::nullopt;
  const gchar** capabilities = nullptr;
  g_variant_get(reply, "(^a&s)", &capabilities);
  const bool markup = g_strv_contains(capabilities, "body-markup");
  g_free(capabilities);
  g_variant_unref(reply);
  return markup;
}

/// The picture as the "image-data" hint carries it: raw rows of 8-bit RGB or RGBA samples.
GVariant* imageData(GdkPixbuf* pixbuf) {
  return g_variant_new(
      "(iiibii@ay)", gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf),
      gdk_pixbuf_get_rowstride(pixbuf), gdk_pixbuf_get_has_alpha(pixbuf),
      gdk_pixbuf_get_bits_per_sample(pixbuf), gdk_pixbuf_get_n_channels(pixbuf),
      g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, gdk_pixbuf_read_pixels(pixbuf),
                                gdk_pixbuf_get_byte_length(pixbuf), 1));
}

/// One notice shown as a desktop notification: the banner's views without a window, filled by
/// the controller, then handed to the service; the controller's timer ends it as it ends a window.
class DesktopNotification : public ImageView, public TextField, public VisualEffectView {
 public:
  DesktopNotification(const NoticeRequest& request, GDBusConnection* bus, bool bodyMarkup)
      : request_(request), bus_(bus), bodyMarkup_(bodyMarkup) {}

  int run() {
    // No application id: nothing of ours registers on the session bus.
    application_ = adoptObject(g_application_new(nullptr, G_APPLICATION_NON_UNIQUE));
    g_signal_connect(application_.get(), "startup", G_CALLBACK(g_application_hold), nullptr);
    g_signal_connect(application_.get(), "activate", G_CALLBACK(onActivate), this);
    const int status = g_application_run(application_.get(), 0, nullptr);
    if (id_) {
      GVariant* reply = callService(bus_, "CloseNotification", g_variant_new("(u)", id_), "()",
                                    nullptr, kCloseTimeoutMs);
      if (reply) g_variant_unref(reply);
    }
    return status != 0 ? status : status_;
  }

  void setImage(std::shared_ptr<const Image> image) override { image_ = std::move(image); }
  void setStringValue(const std::string& text) override { text_ = validUtf8(text); }
  std::string stringValue() const override { return text_; }
  void setStateActive() override {}  // the service draws its own background

 private:
  static void onActivate(GApplication*, gpointer self) {
    static_cast<DesktopNotification*>(self)->show();
  }

  void show() {
    if (services_) return;  // activated once per run
    services_.emplace([this] { g_application_quit(application_.get()); }, nullptr,
                      request_.resourceDirectory);
    request_.log("No X display, Brevinor shown as a desktop notification");
    request_.presenter->present({*this, *this, *this, *services_});
    GError* error = nullptr;
    GVariant* reply = callService(bus_, "Notify", notifyArguments(), "(u)", &error);
    if (!reply) {
      request_.log((std::string("Desktop notification failed, Brevinor not shown: ") +
                    (error ? error->message : "no answer"))
                       .c_str());
      g_clear_error(&error);
      status_ = kNotShownStatus;
      g_application_quit(application_.get());
      return;
    }
    g_variant_get(reply, "(u)", &id_);
    g_variant_unref(reply);
  }

  GVariant* notifyArguments() const {
    // The text as the card shows it (bidirectional marks, length cut), and escaped only for a
    // service that reads markup: one that does not would show the entities as typed.
    const std::string shown = textForDisplay(
        text_, validUtf8(request_.appName ? request_.appName : ""), GTK_TEXT_DIR_NONE);
    gchar* escaped = bodyMarkup_
                         ? g_markup_escape_text(shown.data(), static_cast<gssize>(shown.size()))
                         : nullptr;
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE_VARDICT);
    const auto* picture = dynamic_cast<const PixbufImage*>(image_.get());
    if (picture && picture->pixbuf()) {
      g_variant_builder_add(&hints, "{sv}", "image-data", imageData(picture->pixbuf()));
    }
    // The controller plays the notice's own sound.
    g_variant_builder_add(&hints, "{sv}", "suppress-sound", g_variant_new_boolean(TRUE));
    GVariant* arguments =
        g_variant_new("(susssasa{sv}i)", kTitle, 0u, "", kTitle, escaped ? escaped : shown.c_str(),
                      nullptr, &hints, kExpireTimeoutMs);
    g_free(escaped);
    return arguments;
  }

  const NoticeRequest& request_;
  GDBusConnection* bus_;
  bool bodyMarkup_;
  GObjectPtr<GApplication> application_;
  std::optional<GtkApplicationServices> services_;
  std::shared_ptr<const Image> image_;
  std::string text_;
  guint32 id_ = 0;
  int status_ = 0;
};

}  // namespace

int showAsDesktopNotification(const NoticeRequest& request) {
  auto bus = sessionBus();
  if (!bus) return kNoDisplay;
  // The bus going away must not end the run before its log is written.
  g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
  const auto bodyMarkup = acceptsBodyMarkup(bus.get());
  if (!bodyMarkup) return kNoDisplay;
  DesktopNotification notice(request, bus.get(), *bodyMarkup);
  return notice.run();
}

}  // namespace brevinor
