#include "app/x11/blur_region_property.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <vector>

namespace brevinor {
namespace {

constexpr const char* kBlurRegion = "_KDE_NET_WM_BLUR_BEHIND_REGION";

}  // namespace

bool x11CompositorBlurs(GdkDisplay* display) {
  if (!GDK_IS_X11_DISPLAY(display)) return false;
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  // Only looked up: an atom nobody made yet is one no compositor announced.
  const Atom blur = XInternAtom(x, kBlurRegion, True);
  if (blur == None) return false;
  int count = 0;
  Atom* listed = XListProperties(x, DefaultRootWindow(x), &count);
  bool announced = false;
  for (int i = 0; i < count; ++i) announced = announced || listed[i] == blur;
  if (listed) XFree(listed);
  return announced;
}

void requestX11Blur(GdkWindow* window, const cairo_region_t* region) {
  if (!GDK_IS_X11_WINDOW(window)) return;
  const int n = cairo_region_num_rectangles(region);
  if (n == 0) return;
  // Format 32 data travels as longs: x, y, width, height per rectangle.
  std::vector<long> data;
  data.reserve(4 * n);
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region, i, &r);
    data.insert(data.end(), {r.x, r.y, r.width, r.height});
  }
  Display* x = GDK_WINDOW_XDISPLAY(window);
  XChangeProperty(x, GDK_WINDOW_XID(window), XInternAtom(x, kBlurRegion, False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
}

}  // namespace brevinor
