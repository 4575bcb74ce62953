#include "app/x11/rectangle_shadowing_compositor.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <string>
#include <string_view>

namespace brevinor {

bool compositorShadowsWholeWindow(GdkDisplay* display) {
  if (!GDK_IS_X11_DISPLAY(display)) return false;
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  // The compositor holds the screen's compositing selection through a window it names after
  // itself; nothing else tells which one runs.
  const std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(x));
  const Window owner = XGetSelectionOwner(x, XInternAtom(x, selection.c_str(), False));
  if (owner == None) return false;
  gdk_x11_display_error_trap_push(display);  // the owner may be gone by now
  char* name = nullptr;
  const bool named = XFetchName(x, owner, &name) && name;
  gdk_x11_display_error_trap_pop_ignored(display);
  const bool shadowsRectangle = named && std::string_view(name) == "xcompmgr";
  if (name) XFree(name);
  return shadowsRectangle;
}

}  // namespace brevinor
