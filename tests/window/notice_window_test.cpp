// The notice's real window, built from its layout and styled as the program styles it: what
// screen readers read of it and which way its text reads.
#include "app/card/notice_window.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

using namespace brevinor;

// GTK is set up before any test, with the program's own style.
const bool gtkReady = gtk_init_check(nullptr, nullptr) && (NoticeWindow::useStyle(), true);

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
    EXPECT_STREQ(atk_object_get_name(accessible), (name + sentence).c_str());  // without marks
    EXPECT_STREQ(atk_object_get_description(accessible), (name + sentence).c_str());
    GList* parts = gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(window))));
    PangoLayout* text = gtk_label_get_layout(GTK_LABEL(g_list_last(parts)->data));
    EXPECT_EQ(pango_layout_get_direction(text, 0),
              sentence == hebrew ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR)
        << name << sentence;
    g_list_free(parts);
    gtk_widget_destroy(window);
  }
}
