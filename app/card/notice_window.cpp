#include "app/card/notice_window.h"

#include "app/card/gobject_ptr.h"
#include "app/card/notice_accessibility.h"

namespace brevinor {
namespace {

constexpr const char* kWindowLayout = "/org/brevinor/notice/MainWindow.ui";
constexpr const char* kWindowStyle = "/org/brevinor/notice/style.css";

template <typename Widget>
Widget* part(GtkBuilder* builder, const char* name) {
  return reinterpret_cast<Widget*>(gtk_builder_get_object(builder, name));
}

}  // namespace

void NoticeWindow::useStyle() {
  auto css = adoptObject(gtk_css_provider_new());
  gtk_css_provider_load_from_resource(css.get(), kWindowStyle);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css.get()),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

NoticeWindow::NoticeWindow(const std::string& appName)
    : NoticeWindow(adoptObject(gtk_builder_new_from_resource(kWindowLayout)).get(), appName) {}

NoticeWindow::NoticeWindow(GtkBuilder* builder, const std::string& appName)
    : window_(part<GtkWindow>(builder, "window")),
      icon_(part<GtkImage>(builder, "bannerIcon"), kBannerIconSide),
      text_(part<GtkLabel>(builder, "bannerText"), appName, GTK_WIDGET(window_)),
      card_(part<GtkWidget>(builder, "card")) {
  exposeAsNotification(GTK_WIDGET(window_));
}

}  // namespace brevinor
