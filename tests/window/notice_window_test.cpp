// The notice's real window, built from its layout and styled as the program styles it: what
// screen readers read of it, which way its text reads, and its light or dark card.
#include "app/notice_window.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/color_scheme.h"

using namespace brevinor;

TEST(NoticeWindowTest, ScreenReadersReadANotificationNamedAndDescribedByItsPlainText) {
  NoticeWindow notice("Editor");
  const std::string text = "Editor <b>&amp; update failed.";
  notice.text().setStringValue(text);
  AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(notice.window()));
  EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_NOTIFICATION);
  EXPECT_EQ(atk_object_get_name(accessible), text);  // without the marks that steer direction
  EXPECT_EQ(atk_object_get_description(accessible), text);
  EXPECT_EQ(notice.text().stringValue(), text);
  gtk_widget_destroy(GTK_WIDGET(notice.window()));
}

TEST(NoticeWindowTest, TextReadsInTheDirectionOfTheSentenceAroundTheName) {
  const std::string english = " update failed.", hebrew = " העדכון נכשל.";
  const struct {
    std::string name, sentence;
    PangoDirection expected;
  } cases[] = {
      {"עורך טקסט", english, PANGO_DIRECTION_LTR},
      {"Editor", hebrew, PANGO_DIRECTION_RTL},
      {"עורך", " 1.2.3", PANGO_DIRECTION_LTR},  // no letters: as the desktop reads
      {"", hebrew, PANGO_DIRECTION_RTL},
  };
  for (const auto& c : cases) {
    NoticeWindow notice(c.name);
    notice.text().setStringValue(c.name + c.sentence);
    GtkWidget* card = gtk_bin_get_child(GTK_BIN(notice.window()));
    GList* children = gtk_container_get_children(GTK_CONTAINER(card));
    GtkWidget* label = GTK_WIDGET(g_list_last(children)->data);
    g_list_free(children);
    ASSERT_TRUE(GTK_IS_LABEL(label));
    EXPECT_EQ(pango_layout_get_direction(gtk_label_get_layout(GTK_LABEL(label)), 0), c.expected)
        << c.name << c.sentence;
    gtk_widget_destroy(GTK_WIDGET(notice.window()));
  }
}

double cardLightness(NoticeWindow& notice) {
  GtkWidget* card = gtk_bin_get_child(GTK_BIN(notice.window()));
  GdkRGBA* colour = nullptr;
  gtk_style_context_get(gtk_widget_get_style_context(card), GTK_STATE_FLAG_NORMAL,
                        "background-color", &colour, nullptr);
  const double lightness = 0.2126 * colour->red + 0.7152 * colour->green + 0.0722 * colour->blue;
  return gdk_rgba_free(colour), lightness;
}

TEST(NoticeWindowTest, CardFollowsTheDesktopsLightOrDarkPreferenceWhileShown) {
  auto desktop = adoptObject(g_settings_new("org.gnome.desktop.interface"));
  g_settings_set_string(desktop.get(), "color-scheme", "prefer-dark");
  const auto followed = followDesktopColorScheme();
  ASSERT_TRUE(followed);
  NoticeWindow notice("Editor");
  const double dark = cardLightness(notice);
  g_settings_set_string(desktop.get(), "color-scheme", "prefer-light");
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  EXPECT_LT(dark, 0.35);
  EXPECT_GT(cardLightness(notice), 0.65);
  gtk_widget_destroy(GTK_WIDGET(notice.window()));
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!gtk_init_check(nullptr, nullptr)) return 1;
  NoticeWindow::useStyle();
  return RUN_ALL_TESTS();
}
