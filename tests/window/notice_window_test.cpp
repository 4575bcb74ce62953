// The notice's real window, built from its layout and styled as the program styles it: what
// screen readers read of it, which way its text reads, and its light or dark card.
#include "app/notice_window.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/color_scheme.h"

using namespace brevinor;

TEST(NoticeWindowTest, ReadsAsANotificationOfItsPlainTextInTheDirectionOfTheSentence) {
  const std::string english = " <b>&amp; update failed.", hebrew = " העדכון נכשל.";
  const std::pair<std::string, std::string> cases[] = {
      {"Editor", english}, {"עורך טקסט", english}, {"Editor", hebrew},
      {"", hebrew},        {"עורך", " 1.2.3"},  // no letters: as the desktop reads
  };
  for (const auto& [name, sentence] : cases) {
    NoticeWindow notice(name);
    notice.text().setStringValue(name + sentence);
    GtkWidget* window = GTK_WIDGET(notice.window());
    AtkObject* accessible = gtk_widget_get_accessible(window);
    EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_NOTIFICATION);
    EXPECT_EQ(atk_object_get_name(accessible), name + sentence);  // without the direction marks
    EXPECT_EQ(atk_object_get_description(accessible), name + sentence);
    GList* parts = gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(window))));
    PangoLayout* text = gtk_label_get_layout(GTK_LABEL(g_list_last(parts)->data));
    EXPECT_EQ(pango_layout_get_direction(text, 0),
              sentence == hebrew ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR)
        << name << sentence;
    g_list_free(parts);
    gtk_widget_destroy(window);
  }
}

TEST(NoticeWindowTest, CardFollowsTheDesktopsLightOrDarkPreferenceWhileShown) {
  auto desktop = adoptObject(g_settings_new("org.gnome.desktop.interface"));
  g_settings_set_string(desktop.get(), "color-scheme", "prefer-dark");
  const auto followed = followDesktopColorScheme();
  NoticeWindow notice("Editor");
  const auto lightness = [&] {
    GdkRGBA* colour = nullptr;
    gtk_style_context_get(gtk_widget_get_style_context(gtk_bin_get_child(GTK_BIN(notice.window()))),
                          GTK_STATE_FLAG_NORMAL, "background-color", &colour, nullptr);
    const double value = 0.2126 * colour->red + 0.7152 * colour->green + 0.0722 * colour->blue;
    return gdk_rgba_free(colour), value;
  };
  EXPECT_LT(lightness(), 0.35);
  g_settings_set_string(desktop.get(), "color-scheme", "prefer-light");
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  EXPECT_GT(lightness(), 0.65);
  gtk_widget_destroy(GTK_WIDGET(notice.window()));
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!gtk_init_check(nullptr, nullptr)) return 1;
  NoticeWindow::useStyle();
  return RUN_ALL_TESTS();
}
