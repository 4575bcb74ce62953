#include "app/card/gtk_application_services.h"

#include <canberra.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <semaphore>
#include <string>
#include <system_error>
#include <vector>

#include "app/card/gtk_banner.h"
#include "app/card/icns_pictures.h"

namespace brevinor {
namespace {

// Pictures larger than this are scaled down while they are decoded: the banner shows at most
// 128 device pixels, and a huge file must not cost a huge bitmap.
constexpr int kLargestDecodedSide = 256;
// Pictures with a side longer than this are not decoded at all (no image, as for a file that
// cannot be decoded): decoding one costs its whole bitmap first, 64 MiB and 0.2 s here at this
// side, while the largest icon a desktop or an icon family carries is 1024 pixels.
constexpr int kLargestPictureSide = 4096;
// An icon family holds a handful of pictures of at most a few hundred KiB each.
constexpr goffset kLargestIconFamily = 4 << 20;

GdkPixbuf* decodePng(std::string_view png) {
  auto loader = adoptObject(gdk_pixbuf_loader_new_with_type("png", nullptr));
  if (!loader) return nullptr;
  const bool written = gdk_pixbuf_loader_write(
      loader.get(), reinterpret_cast<const guchar*>(png.data()), png.size(), nullptr);
  if (!gdk_pixbuf_loader_close(loader.get(), nullptr) || !written) return nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
  return pixbuf ? GDK_PIXBUF(g_object_ref(pixbuf)) : nullptr;
}

/// The picture of an icon family that fits a square of `side` device pixels, decoded, or null
/// when none is small enough to decode; none when the file is not a family with PNG pictures
/// (gdk-pixbuf's own loader then has its go).
std::optional<GdkPixbuf*> decodeFittingIconFamilyPicture(const std::string& path, int side) {
  auto file = adoptObject(g_file_new_for_path(path.c_str()));
  auto info = adoptObject(g_file_query_info(
      file.get(), G_FILE_ATTRIBUTE_STANDARD_SIZE "," G_FILE_ATTRIBUTE_STANDARD_TYPE,
      G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
  if (!info || g_file_info_get_file_type(info.get()) != G_FILE_TYPE_REGULAR ||
      g_file_info_get_size(info.get()) > kLargestIconFamily) {
    return std::nullopt;
  }
  gchar* bytes = nullptr;
  gsize length = 0;
  if (!g_file_load_contents(file.get(), nullptr, &bytes, &length, nullptr, nullptr)) {
    return std::nullopt;
  }
  std::vector<IcnsPicture> pictures = pngPicturesOfIconFamily({bytes, length});
  std::optional<GdkPixbuf*> pixbuf;
  if (!pictures.empty()) {
    std::erase_if(pictures, [](const IcnsPicture& p) { return p.side > kLargestPictureSide; });
    const auto picture = pictureThatFits(pictures, side);
    pixbuf = picture ? decodePng(picture->png) : nullptr;
  }
  g_free(bytes);
  return pixbuf;
}

/// A sound to play: the package's own file when there is one, else the sound theme's event.
struct Sound {
  std::optional<std::string> file;
  std::string event;
};

/// Plays `data` (a Sound, then owned here) to its end, then lets go of the sound server. The
/// context is the thread's own: a started sound is cut off when its context goes.
gpointer playToEnd(gpointer data) {
  const std::unique_ptr<Sound> sound(static_cast<Sound*>(data));
  ca_context* context = nullptr;
  if (ca_context_create(&context) != CA_SUCCESS) return nullptr;
  ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Brevinor", CA_PROP_APPLICATION_ID,
                          "brevinor", nullptr);
  std::binary_semaphore finished(0);
  auto play = [&](const char* key, const std::string& value) {
    ca_proplist* properties = nullptr;
    if (ca_proplist_create(&properties) != CA_SUCCESS) return false;
    ca_proplist_sets(properties, key, value.c_str());
    ca_proplist_sets(properties, CA_PROP_MEDIA_ROLE, "event");
    const bool started = ca_context_play_full(
                             context, 0, properties,
                             [](ca_context*, uint32_t, int, void* done) {
                               static_cast<std::binary_semaphore*>(done)->release();
                             },
                             &finished) == CA_SUCCESS;
    ca_proplist_destroy(properties);
    return started;
  };
  // When a sound started, its callback comes exactly once.
  if ((sound->file && play(CA_PROP_MEDIA_FILENAME, *sound->file)) ||
      play(CA_PROP_EVENT_ID, sound->event)) {
    finished.acquire();
  }
  ca_context_destroy(context);
  return nullptr;
}

}  // namespace

GtkApplicationServices::GtkApplicationServices(std::function<void()> quit, GtkWindow* window,
                                               std::filesystem::path resourceDirectory)
    : quit_(std::move(quit)), window_(window), resourceDirectory_(std::move(resourceDirectory)) {}

void GtkApplicationServices::setAccessoryActivationPolicy() {
  if (!window_) return;  // a notice without a window has no taskbar entry to hide
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
  if (path.ends_with(".icns")) {
    const int scale = window_ ? gtk_widget_get_scale_factor(GTK_WIDGET(window_)) : 1;
    const int side = kBannerIconSide * scale;
    if (const auto picture = decodeFittingIconFamilyPicture(path, side)) {
      if (!*picture) return nullptr;
      lastDecoded_ = {path, std::make_shared<PixbufImage>(adoptObject(*picture))};
      return lastDecoded_.second;
    }
  }
  // The size from the header first: a picture too large is never decoded.
  int width = 0;
  int height = 0;
  if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height) ||
      std::max(width, height) > kLargestPictureSide) {
    return nullptr;
  }
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
  if (!window_) return;  // without a window the banner's own image is the only icon shown
  const auto* picture = dynamic_cast<const PixbufImage*>(image.get());
  GdkPixbuf* pixbuf = picture ? picture->pixbuf() : nullptr;
  // No image (an undecodable logo) clears the icon: the list form takes an empty list, where
  // gtk_window_set_default_icon refuses a null picture and keeps the old one.
  GList* icons = pixbuf ? g_list_prepend(nullptr, pixbuf) : nullptr;
  gtk_window_set_default_icon_list(icons);
  gtk_window_set_icon_list(window_, icons);
  g_list_free(icons);
}

void GtkApplicationServices::playSound(std::string_view name) {
  // Started once the window is on screen, so that reaching the sound server never takes from the
  // first frame; on a thread of its own that nothing waits for, so that a server that accepts and
  // never answers (a stopped one, say) blocks that thread alone, and the run still ends on time.
  using Pending = std::unique_ptr<Sound>;
  g_idle_add_full(
      G_PRIORITY_LOW,
      [](gpointer data) -> gboolean {
        // Without a thread there is no sound: libcanberra's PulseAudio driver needs one too.
        auto& sound = *static_cast<Pending*>(data);
        if (GThread* player = g_thread_try_new("sound", playToEnd, sound.get(), nullptr)) {
          sound.release();  // the player's now
          g_thread_unref(player);
        }
        return G_SOURCE_REMOVE;
      },
      new Pending(new Sound{resourcePath(name, "oga"), std::string(name)}),
      [](gpointer data) { delete static_cast<Pending*>(data); });
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
  quit_();
}

}  // namespace brevinor
