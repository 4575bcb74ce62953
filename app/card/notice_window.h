#pragma once

#include <gtk/gtk.h>

#include <string>

#include "app/card/gtk_banner.h"

namespace brevinor {

/// The notice's window as its layout describes it, with the views that the controller fills.
/// The window belongs to GTK's list of toplevels; this object only points at it.
class NoticeWindow {
 public:
  /// Builds the window from the module's own resources for a notice about this application.
  explicit NoticeWindow(const std::string& appName);

  /// Styles every notice window on the default screen; call once, before the first is shown.
  static void useStyle();

  GtkWindow* window() const { return window_; }
  GtkBannerIcon& icon() { return icon_; }
  GtkBannerText& text() { return text_; }
  GtkBannerCard& card() { return card_; }

 private:
  explicit NoticeWindow(GtkBuilder* builder, const std::string& appName);

  GtkWindow* window_;
  GtkBannerIcon icon_;
  GtkBannerText text_;
  GtkBannerCard card_;
};

}  // namespace brevinor
