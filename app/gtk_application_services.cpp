#include "app/gtk_application_services.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "app/gtk_banner.h"

namespace brevinor {
namespace {

// Pictures larger than this are scaled down while they are decoded: the banner shows at most
// 128 device pixels, and a huge file must not cost a huge bitmap.
constexpr int kLargestDecodedSide = 256;

}  // namespace

GtkApplicationServices::GtkApplicationServices(GApplication* application, GtkWindow* window,
                                               std::filesystem::path resourceDirectory)
    : application_(application),
      window_(window),
      resourceDirectory_(std::move(resourceDirectory)) {}

GtkApplicationServices::~GtkApplicationServices() {
  if (sound_) ca_context_destroy(sound_);
}

void GtkApplicationServices::setAccessoryActivationPolicy() {
  gtk_window_set_skip_taskbar_hint(window_, TRUE);
  gtk_window_set_skip_pager_hint(window_, TRUE);
}

std::optional<std::string> GtkApplicationServices::resourcePath(std::string_view name,
                                                                std::string_view type) const {
  std::filesystem::path path = resourceDirectory_ / name;
  path += ".";
  path += type;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  return path.string();
}

std::shared_ptr<const Image> GtkApplicationServices::loadImage(const std::string& path) {
  // The same file is asked for twice in a run (the package icon, the rebranded logo); pictures
  // never change under a run, so the last one decoded is kept.
  if (lastDecoded_.first == path && lastDecoded_.second) return lastDecoded_.second;
  int width = 0;
  int height = 0;
  if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height)) return nullptr;
  GError* error = nullptr;
  GdkPixbuf* pixbuf = std::max(width, height) <= kLargestDecodedSide
                          ? gdk_pixbuf_new_from_file(path.c_str(), &error)
                          : gdk_pixbuf_new_from_file_at_scale(path.c_str(), kLargestDecodedSide,
                                                              kLargestDecodedSide, TRUE, &error);
  if (!pixbuf) {
    g_clear_error(&error);
    return nullptr;
  }
  lastDecoded_ = {path, std::make_shared<PixbufImage>(adoptObject(pixbuf))};
  return lastDecoded_.second;
}

void GtkApplicationServices::setApplicationIcon(std::shared_ptr<const Image> image) {
  const auto* picture = dynamic_cast<const PixbufImage*>(image.get());
  GdkPixbuf* pixbuf = picture ? picture->pixbuf() : nullptr;
  gtk_window_set_default_icon(pixbuf);
  gtk_window_set_icon(window_, pixbuf);
}

void GtkApplicationServices::playSound(std::string_view name) {
  // Reaching the sound server can take a while; it happens once the window is on screen, so the
  // notice never waits for it. The context lives as long as these services do.
  using Request = std::pair<GtkApplicationServices*, std::string>;
  g_idle_add_full(
      G_PRIORITY_LOW,
      [](gpointer data) -> gboolean {
        const auto& [self, sound] = *static_cast<Request*>(data);
        self->startSound(sound);
        return G_SOURCE_REMOVE;
      },
      new Request(this, std::string(name)),
      [](gpointer data) { delete static_cast<Request*>(data); });
}

void GtkApplicationServices::startSound(const std::string& name) {
  if (!sound_ && ca_context_create(&sound_) != CA_SUCCESS) {
    sound_ = nullptr;
    return;
  }
  ca_context_change_props(sound_, CA_PROP_APPLICATION_NAME, "Brevinor", CA_PROP_APPLICATION_ID,
                          "brevinor", nullptr);
  // The package's own sound first, then the desktop sound theme's event of the same name.
  if (const auto file = resourcePath(name, "oga")) {
    if (ca_context_play(sound_, 0, CA_PROP_MEDIA_FILENAME, file->c_str(), CA_PROP_MEDIA_ROLE,
                        "event", nullptr) == CA_SUCCESS) {
      return;
    }
  }
  ca_context_play(sound_, 0, CA_PROP_EVENT_ID, name.c_str(), CA_PROP_MEDIA_ROLE, "event", nullptr);
}

void GtkApplicationServices::scheduleOneShot(std::chrono::milliseconds delay,
                                             std::function<void()> action) {
  using Action = std::function<void()>;
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, static_cast<guint>(delay.count()),
      [](gpointer data) -> gboolean {
        (*static_cast<Action*>(data))();
        return G_SOURCE_REMOVE;
      },
      new Action(std::move(action)), [](gpointer data) { delete static_cast<Action*>(data); });
}

void GtkApplicationServices::terminate() {
  g_application_quit(application_);
}

}  // namespace brevinor
