// The notice's real window, built from its layout and styled as the program styles it: what
// screen readers read of it, how its text reads in either direction, how a long text keeps the
// card's size, and that it follows the desktop's light or dark preference.

#include "app/notice_window.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

#include "app/color_scheme.h"

namespace brevinor {
namespace {

class NoticeWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (notice_) gtk_widget_destroy(GTK_WIDGET(notice_->window()));
  }

  NoticeWindow& build(const std::string& appName, const std::string& text) {
    notice_.emplace(appName);
    notice_->text().setStringValue(text);
    return *notice_;
  }

  GtkLabel* label() {
    GtkWidget* card = gtk_bin_get_child(GTK_BIN(notice_->window()));
    GList* children = gtk_container_get_children(GTK_CONTAINER(card));
    GtkLabel* found = nullptr;
    for (GList* child = children; child; child = child->next) {
      if (GTK_IS_LABEL(child->data)) found = GTK_LABEL(child->data);
    }
    g_list_free(children);
    return found;
  }

  GtkRequisition preferredSize() {
    GtkRequisition size;
    gtk_widget_get_preferred_size(GTK_WIDGET(notice_->window()), nullptr, &size);
    return size;
  }

  std::optional<NoticeWindow> notice_;
};

TEST_F(NoticeWindowTest, ScreenReadersReadANotificationNamedAndDescribedByItsText) {
  const std::string text = "Editor <b>&amp; update failed.";
  NoticeWindow& notice = build("Editor", text);
  AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(notice.window()));
  EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_NOTIFICATION);
  // The plain text, without the marks that steer its direction on screen.
  EXPECT_EQ(atk_object_get_name(accessible), text);
  EXPECT_EQ(atk_object_get_description(accessible), text);
  EXPECT_EQ(notice.text().stringValue(), text);
  EXPECT_FALSE(gtk_window_get_accept_focus(notice.window()));
}

TEST_F(NoticeWindowTest, TextReadsInTheDirectionOfTheSentenceAroundTheName) {
  const std::string english = " update failed. You can now use the application.";
  const std::string hebrew = " העדכון נכשל. אפשר להשתמש ביישום.";
  const struct {
    const char* what;
    std::string name;
    std::string sentence;
    PangoDirection expected;
  } cases[] = {
      {"Latin name, English", "Editor", english, PANGO_DIRECTION_LTR},
      {"Hebrew name, English", "עורך טקסט", english, PANGO_DIRECTION_LTR},
      {"Arabic name, English", "محرر", english, PANGO_DIRECTION_LTR},
      {"Latin name, Hebrew", "Editor", hebrew, PANGO_DIRECTION_RTL},
      {"Hebrew name, Hebrew", "עורך", hebrew, PANGO_DIRECTION_RTL},
      {"Hebrew name, no letters", "עורך", " 1.2.3", PANGO_DIRECTION_LTR},
      {"empty name, Hebrew", "", hebrew, PANGO_DIRECTION_RTL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    build(c.name, c.name + c.sentence);
    EXPECT_EQ(pango_layout_get_direction(gtk_label_get_layout(label()), 0), c.expected);
    EXPECT_EQ(notice_->text().stringValue(), c.name + c.sentence);
    gtk_widget_destroy(GTK_WIDGET(notice_->window()));
    notice_.reset();
  }
}

TEST_F(NoticeWindowTest, LongTextKeepsTheCardsWidthAndAtMostFourLines) {
  build("Editor", "Editor update failed.");
  const GtkRequisition shortSize = preferredSize();
  gtk_widget_destroy(GTK_WIDGET(notice_->window()));

  std::string manyWords;
  while (manyWords.size() < 1000000) manyWords += "Patching will be attempted again shortly. ";
  const std::string endlessName(102400, 'n');
  const struct {
    const char* what;
    std::string name;
    std::string text;
  } cases[] = {
      {"many words", "Editor", "Editor " + manyWords},
      {"one endless word", "Editor", std::string(20000, 'W')},
      {"endless name", endlessName, endlessName + " " + manyWords},
      {"endless right-to-left name", "\u05D0" + endlessName, "\u05D0" + endlessName + " update"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    build(c.name, c.text);
    const GtkRequisition size = preferredSize();
    EXPECT_EQ(size.width, shortSize.width);
    PangoLayout* layout = gtk_label_get_layout(label());
    EXPECT_LE(pango_layout_get_line_count(layout), 4);
    EXPECT_TRUE(pango_layout_is_ellipsized(layout));
    int lineHeight = 0;
    pango_layout_get_pixel_size(layout, nullptr, &lineHeight);
    EXPECT_LT(size.height, shortSize.height + lineHeight);
    gtk_widget_destroy(GTK_WIDGET(notice_->window()));
    notice_.reset();
  }
}

double cardLightness(GtkWidget* window) {
  GtkWidget* card = gtk_bin_get_child(GTK_BIN(window));
  GdkRGBA* colour = nullptr;
  gtk_style_context_get(gtk_widget_get_style_context(card), GTK_STATE_FLAG_NORMAL,
                        "background-color", &colour, nullptr);
  const double lightness = 0.2126 * colour->red + 0.7152 * colour->green + 0.0722 * colour->blue;
  gdk_rgba_free(colour);
  return lightness;
}

TEST_F(NoticeWindowTest, CardFollowsTheDesktopsLightOrDarkPreferenceWhileShown) {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  GSettingsSchema* schema =
      source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE)
             : nullptr;
  if (!schema || !g_settings_schema_has_key(schema, "color-scheme")) {
    if (schema) g_settings_schema_unref(schema);
    GTEST_SKIP() << "the desktop's interface settings are not installed";
  }
  g_settings_schema_unref(schema);
  auto desktop = adoptObject(g_settings_new("org.gnome.desktop.interface"));
  g_settings_set_string(desktop.get(), "color-scheme", "prefer-dark");
  const auto followed = followDesktopColorScheme();
  ASSERT_TRUE(followed);

  NoticeWindow& notice = build("Editor", "Editor update failed.");
  const double dark = cardLightness(GTK_WIDGET(notice.window()));
  g_settings_set_string(desktop.get(), "color-scheme", "prefer-light");
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  const double light = cardLightness(GTK_WIDGET(notice.window()));
  EXPECT_LT(dark, 0.35);
  EXPECT_GT(light, 0.65);
}

}  // namespace
}  // namespace brevinor

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!gtk_init_check(nullptr, nullptr)) {
    fprintf(stderr, "no display\n");
    return 1;
  }
  brevinor::NoticeWindow::useStyle();
  return RUN_ALL_TESTS();
}
