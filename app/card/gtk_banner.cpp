#include "app/card/gtk_banner.h"

#include <cairo.h>
#include <fribidi.h>

#include <algorithm>
#include <vector>

#include "app/card/notice_accessibility.h"

namespace brevinor {

GtkBannerIcon::GtkBannerIcon(GtkImage* image, int logicalSize)
    : image_(image), logicalSize_(logicalSize) {
  g_object_add_weak_pointer(G_OBJECT(image_), reinterpret_cast<gpointer*>(&image_));
  scaleHandler_ = g_signal_connect_swapped(
      image_, "notify::scale-factor", G_CALLBACK(+[](GtkBannerIcon* self) { self->draw(); }), this);
}

GtkBannerIcon::~GtkBannerIcon() {
  // The image may have gone with its window already.
  if (!image_) return;
  g_signal_handler_disconnect(image_, scaleHandler_);
  g_object_remove_weak_pointer(G_OBJECT(image_), reinterpret_cast<gpointer*>(&image_));
}

void GtkBannerIcon::setImage(std::shared_ptr<const Image> image) {
  shown_ = std::move(image);
  draw();
}

void GtkBannerIcon::draw() {
  if (!image_) return;
  const auto* picture = dynamic_cast<const PixbufImage*>(shown_.get());
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
  const int longest = std::max(width, height);
  // A picture smaller than the square would come out soft from smoothing: it is repeated pixel
  // for pixel by the whole factor that fits the square in logical pixels, the same size on
  // every scale.
  const bool small = longest < logicalSize_;
  const double ratio =
      small ? (logicalSize_ / longest) * scale : static_cast<double>(side) / longest;
  // A picture decoded at the size shown is drawn as it is.
  auto scaled = ratio == 1.0
                    ? retainObject(source)
                    : adoptObject(gdk_pixbuf_scale_simple(
                          source, std::max(1, int(width * ratio)), std::max(1, int(height * ratio)),
                          small ? GDK_INTERP_NEAREST : GDK_INTERP_HYPER));
  if (!scaled) {
    gtk_image_clear(image_);
    return;
  }
  cairo_surface_t* surface = gdk_cairo_surface_create_from_pixbuf(scaled.get(), scale, nullptr);
  gtk_image_set_from_surface(image_, surface);
  cairo_surface_destroy(surface);
}

std::string validUtf8(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  gchar* repaired = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  std::string valid(repaired);
  g_free(repaired);
  return valid;
}

namespace {

// Four lines show a few hundred characters at most. Laying out the rest of a megabyte would cost
// seconds, and past some length Pango stops wrapping an isolated run, widening the card.
constexpr std::size_t kMostCharactersShown = 1024;

std::string_view clipped(std::string_view valid) {
  const char* end = valid.data() + valid.size();
  const char* at = valid.data();
  for (std::size_t i = 0; i < kMostCharactersShown && at < end; ++i) at = g_utf8_next_char(at);
  return valid.substr(0, static_cast<std::size_t>(std::min(at, end) - valid.data()));
}

constexpr const char* kLeftToRightMark = "\u200E";
constexpr const char* kRightToLeftMark = "\u200F";
constexpr const char* kFirstStrongIsolate = "\u2068";
constexpr const char* kPopDirectionalIsolate = "\u2069";

// The direction of the first letter outside any isolate, as the bidirectional algorithm finds a
// paragraph's; "other neutral" when there is none.
FriBidiParType paragraphDirection(const std::string& text) {
  glong length = 0;
  gunichar* characters = g_utf8_to_ucs4_fast(text.data(), static_cast<glong>(text.size()), &length);
  std::vector<FriBidiCharType> types(static_cast<std::size_t>(length));
  for (glong i = 0; i < length; ++i)
    types[static_cast<std::size_t>(i)] = fribidi_get_bidi_type(characters[i]);
  g_free(characters);
  return fribidi_get_par_direction(types.data(), static_cast<FriBidiStrIndex>(types.size()));
}

}  // namespace

std::string textForDisplay(const std::string& text, const std::string& appName,
                           GtkTextDirection widgetDirection) {
  if (appName.empty() || text.compare(0, appName.size(), appName) != 0) {
    return std::string(clipped(text));
  }
  const std::string sentence(clipped(std::string_view(text).substr(appName.size())));
  const FriBidiParType direction = paragraphDirection(sentence);
  // A sentence without letters of its own reads as the desktop does.
  const bool rightToLeft = direction == FRIBIDI_PAR_RTL ||
                           (direction == FRIBIDI_PAR_ON && widgetDirection == GTK_TEXT_DIR_RTL);
  return std::string(rightToLeft ? kRightToLeftMark : kLeftToRightMark) + kFirstStrongIsolate +
         std::string(clipped(appName)) + kPopDirectionalIsolate + sentence;
}

GtkBannerText::GtkBannerText(GtkLabel* label, std::string appName, GtkWidget* window)
    : label_(label), appName_(std::move(appName)), window_(window) {
  // GTK's layout files cannot turn Pango's inserted hyphens off; without this a name broken
  // inside a word would read "Experi-" / "mental".
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
  gtk_label_set_attributes(label_, attributes);
  pango_attr_list_unref(attributes);
}

void GtkBannerText::setStringValue(const std::string& text) {
  text_ = validUtf8(text);
  gtk_label_set_text(label_, textForDisplay(text_, validUtf8(appName_),
                                            gtk_widget_get_direction(GTK_WIDGET(label_)))
                                 .c_str());
  if (window_) describeNotification(window_, text_);
}

void GtkBannerCard::setStateActive() {
  gtk_style_context_add_class(gtk_widget_get_style_context(card_), "active");
}

}  // namespace brevinor
