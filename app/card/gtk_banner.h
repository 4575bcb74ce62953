#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "app/card/gobject_ptr.h"
#include "notification/banner_views.h"

namespace brevinor {

/// A decoded picture held as a GdkPixbuf at its full decoded size.
class PixbufImage : public Image {
 public:
  explicit PixbufImage(GObjectPtr<GdkPixbuf> pixbuf) : pixbuf_(std::move(pixbuf)) {}
  GdkPixbuf* pixbuf() const { return pixbuf_.get(); }

 private:
  GObjectPtr<GdkPixbuf> pixbuf_;
};

/// The side of the banner's icon square, in logical pixels.
inline constexpr int kBannerIconSide = 64;

/// The banner's icon: any image is drawn into a fixed square, sharp at the window's scale, and
/// drawn again when the window moves to a screen of another scale. A picture smaller than the
/// square is enlarged only by a whole factor, without smoothing, and centred: a small logo stays
/// crisp at the same size on every scale.
class GtkBannerIcon : public ImageView {
 public:
  GtkBannerIcon(GtkImage* image, int logicalSize);
  ~GtkBannerIcon();
  GtkBannerIcon(const GtkBannerIcon&) = delete;
  GtkBannerIcon& operator=(const GtkBannerIcon&) = delete;
  void setImage(std::shared_ptr<const Image> image) override;

 private:
  void draw();

  GtkImage* image_;
  int logicalSize_;
  std::shared_ptr<const Image> shown_;
  gulong scaleHandler_ = 0;
};

/// The banner's text: plain text only, invalid UTF-8 shown with replacement characters. It reads
/// in the direction of the sentence around the application's name, whatever script the name is
/// written in, and it is also the window's accessible name. A word broken across lines gets no
/// hyphen: the label shows the text's own characters only.
class GtkBannerText : public TextField {
 public:
  GtkBannerText(GtkLabel* label, std::string appName, GtkWidget* window);
  void setStringValue(const std::string& text) override;
  std::string stringValue() const override { return text_; }

 private:
  GtkLabel* label_;
  std::string appName_;
  GtkWidget* window_;
  std::string text_;
};

/// The text with each invalid UTF-8 sequence replaced by a replacement character.
std::string validUtf8(const std::string& text);

/// The text as the label shows it, cut to what four lines can show: when it starts with the
/// application's name, the name is isolated from the sentence around it, and a mark of the
/// sentence's direction leads. Without them the paragraph would take its direction from its first
/// letter, the name's, and a Hebrew name would turn an English sentence around. Both arguments are
/// valid UTF-8.
std::string textForDisplay(const std::string& text, const std::string& appName,
                           GtkTextDirection widgetDirection);

/// The card behind icon and text.
class GtkBannerCard : public VisualEffectView {
 public:
  explicit GtkBannerCard(GtkWidget* card) : card_(card) {}
  void setStateActive() override;

 private:
  GtkWidget* card_;
};

}  // namespace brevinor
