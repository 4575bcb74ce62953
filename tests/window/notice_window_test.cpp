// The notice's real window, built from its layout and styled as the program styles it: what
// screen readers read of it and which way its text reads.
#include "app/card/notice_window.h"

#include <gtest/gtest.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <memory>
#include <set>

#include "app/card/gobject_ptr.h"
#include "app/x11/card_shape.h"

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

// Shows the window and lets it lay out and draw.
void showAndSettle(GtkWidget* window) {
  gtk_widget_show(window);
  for (int i = 0; i < 40; ++i, g_usleep(2000)) while (gtk_events_pending()) gtk_main_iteration();
}
GtkWidget* part(GtkWidget* window, int index) {
  GList* parts = gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(window))));
  GtkWidget* widget = GTK_WIDGET(g_list_nth_data(parts, index));
  g_list_free(parts);
  return widget;
}

// The label adds no hyphen where it breaks a name, and the icon keeps its gap to the card's edge
// when the layout mirrors.
TEST(NoticeWindowTest, BreaksWordsWithoutHyphensAndMirrorsItsPadding) {
  const std::string name = "com.example.ExperimentalDocumentViewer";
  for (GtkTextDirection direction : {GTK_TEXT_DIR_LTR, GTK_TEXT_DIR_RTL}) {
    gtk_widget_set_default_direction(direction);
    NoticeWindow notice(name);
    notice.text().setStringValue(name + " is ready.");
    GtkWidget* window = GTK_WIDGET(notice.window());
    showAndSettle(window);
    GtkAllocation card, icon;
    gtk_widget_get_allocation(gtk_bin_get_child(GTK_BIN(window)), &card);
    gtk_widget_get_allocation(part(window, 0), &icon);
    EXPECT_EQ(direction == GTK_TEXT_DIR_LTR ? icon.x - card.x : card.width - icon.x - icon.width,
              15);  // padding and border
    PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(part(window, 1)));
    ASSERT_GT(pango_layout_get_line_count(layout), 1);
    for (GSList* lines = pango_layout_get_lines_readonly(layout); lines; lines = lines->next) {
      auto* line = static_cast<PangoLayoutLine*>(lines->data);
      int glyphs = 0;
      for (GSList* runs = line->runs; runs; runs = runs->next)
        glyphs += static_cast<PangoGlyphItem*>(runs->data)->glyphs->num_glyphs;
      EXPECT_LE(glyphs, g_utf8_strlen(pango_layout_get_text(layout) + line->start_index,
                                      line->length));  // an inserted hyphen is a glyph more
    }
    gtk_widget_destroy(window);
  }
  gtk_widget_set_default_direction(GTK_TEXT_DIR_LTR);
}

// A 16 px logo is repeated pixel for pixel, at every scale: only its own two colours show.
TEST(NoticeWindowTest, SmallPicturesAreEnlargedWithoutSmoothing) {
  auto board = adoptObject(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16));
  guint32* pixels = reinterpret_cast<guint32*>(gdk_pixbuf_get_pixels(board.get()));
  for (int i = 0; i < 16 * 16; ++i) pixels[i] = (i + i / 16) % 2 ? 0xff0000ff : 0xffff0000;
  for (int scale : {1, 2}) {
    gdk_x11_display_set_window_scale(gdk_display_get_default(), scale);
    NoticeWindow notice("");
    notice.icon().setImage(std::make_shared<PixbufImage>(retainObject(board.get())));
    cairo_surface_t* shown = nullptr;
    g_object_get(part(GTK_WIDGET(notice.window()), 0), "surface", &shown, nullptr);
    const int side = cairo_image_surface_get_width(shown);
    const auto* data = reinterpret_cast<const guint32*>(cairo_image_surface_get_data(shown));
    EXPECT_EQ(std::set(data, data + side * side), (std::set<guint32>{0xff0000ff, 0xffff0000}));
    EXPECT_EQ(side, 64 * scale);
    cairo_surface_destroy(shown);
    gtk_widget_destroy(GTK_WIDGET(notice.window()));
  }
  gdk_x11_display_set_window_scale(gdk_display_get_default(), 1);
}

// Without a compositor the window is cut at the screen's own pixels, and the pixels just inside
// the cut at the top corners are near the card's colour, not blended with black.
TEST(NoticeWindowTest, CutCornersShowNoDarkFringe) {
  for (int scale : {1, 2}) {
    gdk_x11_display_set_window_scale(gdk_display_get_default(), scale);
    NoticeWindow notice("");
    GtkWidget* window = GTK_WIDGET(notice.window());
    gtk_style_context_add_class(gtk_widget_get_style_context(window), "opaque");
    shapeToRoundedCard(window, 14);
    showAndSettle(window);
    Display* display = GDK_WINDOW_XDISPLAY(gtk_widget_get_window(window));
    const Window xid = GDK_WINDOW_XID(gtk_widget_get_window(window));
    const int width = gtk_widget_get_allocated_width(window) * scale, corner = 14 * scale;
    XImage* shot = XGetImage(display, xid, 0, 0, width, corner, AllPlanes, ZPixmap);
    auto brightness = [&](int x, int y) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      return (pixel >> 16 & 0xff) + (pixel >> 8 & 0xff) + (pixel & 0xff);
    };
    int count = 0, ordering = 0, oddEdges = 0;
    XRectangle* cut = XShapeGetRectangles(display, xid, ShapeBounding, &count, &ordering);
    for (int i = 0; i < count; ++i) {
      if (cut[i].y >= corner) continue;
      oddEdges += cut[i].x % 2;
      for (int x : {int(cut[i].x), cut[i].x + cut[i].width - 1})
        EXPECT_GT(brightness(x, cut[i].y), brightness(width / 2, corner - 1) * 3 / 4) << x;
    }
    EXPECT_TRUE(scale == 1 || oddEdges > 0);  // steps of one pixel at a scale of 2
    XFree(cut);
    XDestroyImage(shot);
    gtk_widget_destroy(window);
  }
  gdk_x11_display_set_window_scale(gdk_display_get_default(), 1);
}
