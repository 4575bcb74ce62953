// The notice's real window, built from its layout and styled as the program styles it: what
// screen readers read of it, which way its text reads, and how cleanly it draws.
#include "app/card/notice_window.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <set>
#include <tuple>

#include "app/card/gobject_ptr.h"
#include "app/x11/card_shape.h"
// After GoogleTest, whose names X11's macros (None) would replace.
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

using namespace brevinor;

// GTK is set up before any test, with the program's own style.
const bool gtkReady = gtk_init_check(nullptr, nullptr) && (NoticeWindow::useStyle(), true);

// Each window is shown without a compositor, with a 16 px two-colour logo, and checked as drawn:
// a name broken inside a word gets no hyphen, the icon keeps its gap to the card's edge when the
// layout mirrors, the logo shows only its own colours at every scale, and the corners are cut at
// the screen's own pixels with nothing dark just inside the cut.
TEST(NoticeWindowTest, ReadsAsANotificationOfItsPlainTextAndDrawsCleanly) {
  const std::string english = " <b>&amp; update failed.", hebrew = " העדכון נכשל.";
  const std::string dotted = "com.example.ExperimentalDocumentViewer";
  const std::tuple<std::string, std::string, int, GtkTextDirection> cases[] = {
      {"Editor", english, 1, GTK_TEXT_DIR_LTR}, {"עורך טקסט", english, 1, GTK_TEXT_DIR_LTR},
      {"Editor", hebrew, 1, GTK_TEXT_DIR_LTR},  {"", hebrew, 1, GTK_TEXT_DIR_LTR},
      {"עורך", " 1.2.3", 1, GTK_TEXT_DIR_LTR},  // no letters: as the desktop reads
      {dotted, english, 1, GTK_TEXT_DIR_LTR},   {dotted, hebrew, 2, GTK_TEXT_DIR_RTL},
  };
  auto logo = adoptObject(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16));
  auto* pixels = reinterpret_cast<guint32*>(gdk_pixbuf_get_pixels(logo.get()));
  for (int i = 0; i < 16 * 16; ++i) pixels[i] = (i + i / 16) % 2 ? 0xff0000ff : 0xffff0000;
  for (const auto& [name, sentence, scale, desktop] : cases) {
    gdk_x11_display_set_window_scale(gdk_display_get_default(), scale);
    gtk_widget_set_default_direction(desktop);
    NoticeWindow notice(name);
    notice.text().setStringValue(name + sentence);
    notice.icon().setImage(std::make_shared<PixbufImage>(retainObject(logo.get())));
    GtkWidget* window = GTK_WIDGET(notice.window());
    gtk_style_context_add_class(gtk_widget_get_style_context(window), "opaque");
    shapeToRoundedCard(window, 14);
    gtk_widget_show(window);
    for (int i = 0; i < 40; ++i, g_usleep(2000))
      while (gtk_events_pending()) gtk_main_iteration();
    AtkObject* accessible = gtk_widget_get_accessible(window);
    EXPECT_EQ(atk_object_get_role(accessible), ATK_ROLE_NOTIFICATION);
    EXPECT_STREQ(atk_object_get_name(accessible), (name + sentence).c_str());  // without marks
    EXPECT_STREQ(atk_object_get_description(accessible), (name + sentence).c_str());
    GtkWidget* card = gtk_bin_get_child(GTK_BIN(window));
    GList* parts = gtk_container_get_children(GTK_CONTAINER(card));
    PangoLayout* text = gtk_label_get_layout(GTK_LABEL(g_list_last(parts)->data));
    EXPECT_EQ(pango_layout_get_direction(text, 0),
              sentence == hebrew ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR)
        << name << sentence;
    for (GSList* lines = pango_layout_get_lines_readonly(text); lines; lines = lines->next) {
      auto* line = static_cast<PangoLayoutLine*>(lines->data);
      int glyphs = 0;  // an inserted hyphen is one glyph more than the line's characters
      for (GSList* run = line->runs; run; run = run->next)
        glyphs += static_cast<PangoGlyphItem*>(run->data)->glyphs->num_glyphs;
      EXPECT_LE(glyphs,
                g_utf8_strlen(pango_layout_get_text(text) + line->start_index, line->length));
    }
    GtkAllocation box, icon;
    gtk_widget_get_allocation(card, &box);
    gtk_widget_get_allocation(GTK_WIDGET(parts->data), &icon);
    EXPECT_EQ(
        desktop == GTK_TEXT_DIR_LTR ? icon.x - box.x : box.x + box.width - icon.x - icon.width,
        15);  // padding and border
    cairo_surface_t* shown = nullptr;
    g_object_get(parts->data, "surface", &shown, nullptr);
    const int side = cairo_image_surface_get_width(shown);
    const auto* logoShown = reinterpret_cast<const guint32*>(cairo_image_surface_get_data(shown));
    EXPECT_EQ(std::set(logoShown, logoShown + side * side),
              (std::set<guint32>{0xff0000ff, 0xffff0000}));
    EXPECT_EQ(side, 64 * scale);
    cairo_surface_destroy(shown);
    g_list_free(parts);
    Display* display = GDK_WINDOW_XDISPLAY(gtk_widget_get_window(window));
    const Window xid = GDK_WINDOW_XID(gtk_widget_get_window(window));
    const int width = gtk_widget_get_allocated_width(window) * scale, corner = 14 * scale;
    XImage* shot = XGetImage(display, xid, 0, 0, width, corner, AllPlanes, ZPixmap);
    const auto green = [&](int x, int y) { return XGetPixel(shot, x, y) >> 8 & 0xff; };
    int count = 0, ordering = 0;
    XRectangle* cut = XShapeGetRectangles(display, xid, ShapeBounding, &count, &ordering);
    for (int i = 0; i < count && cut[i].y < corner; ++i)  // the rows of the top corners
      EXPECT_GT(std::min(green(cut[i].x, cut[i].y), green(cut[i].x + cut[i].width - 1, cut[i].y)),
                green(width / 2, corner - 1) * 3 / 4);
    EXPECT_TRUE(scale == 1 || std::any_of(cut, cut + count, [](auto& row) { return row.x % 2; }));
    XFree(cut);
    XDestroyImage(shot);
    gtk_widget_destroy(window);
  }
  gdk_x11_display_set_window_scale(gdk_display_get_default(), 1);
  gtk_widget_set_default_direction(GTK_TEXT_DIR_LTR);
}
