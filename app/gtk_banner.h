#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtk/gtk.h>

#include "app/gobject_ptr.h"
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

/// The banner's icon: any image is drawn into a fixed square, sharp at the window's scale.
class GtkBannerIcon : public ImageView {
 public:
  GtkBannerIcon(GtkImage* image, int logicalSize) : image_(image), logicalSize_(logicalSize) {}
  void setImage(std::shared_ptr<const Image> image) override;

 private:
  GtkImage* image_;
  int logicalSize_;
};

/// The banner's text: plain text only, invalid UTF-8 shown with replacement characters.
class GtkBannerText : public TextField {
 public:
  explicit GtkBannerText(GtkLabel* label) : label_(label) {}
  void setStringValue(const std::string& text) override;
  std::string stringValue() const override;

 private:
  GtkLabel* label_;
};

/// The card behind icon and text.
class GtkBannerCard : public VisualEffectView {
 public:
  explicit GtkBannerCard(GtkWidget* card) : card_(card) {}
  void setStateActive() override;

 private:
  GtkWidget* card_;
};

}  // namespace brevinor
