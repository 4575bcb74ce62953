#include "app/x11/screen_slot.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brevinor {
namespace {

// More places than fit on a large screen; a notice that finds every one taken still shows, over
// the others.
constexpr int kSlotCount = 64;
constexpr const char* kFrameProperty = "_BREVINOR_NOTICE_FRAME";
// On the root window: one past the highest slot owned at the last claim. Each slot looked at costs
// a round trip under the grab, so only the slots below it are looked at, not all of them.
constexpr const char* kSlotsInUseProperty = "_BREVINOR_NOTICE_SLOTS";

/// A CARDINAL/32 property of up to `count` values; empty when the window or property is gone.
std::vector<long> readCardinals(Display* display, Window window, Atom property, long count) {
  Atom type = None;
  int format = 0;
  unsigned long got = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(display, window, property, 0, count, False, XA_CARDINAL, &type, &format,
                         &got, &remaining, &data) == Success &&
      type == XA_CARDINAL && format == 32) {
    // Format 32 comes back as longs, whatever the width of the values on the wire.
    const long* v = reinterpret_cast<const long*>(data);
    values.assign(v, v + got);
  }
  if (data) XFree(data);
  return values;
}

void writeCardinals(Display* display, Window window, Atom property,
                    const std::vector<long>& values) {
  XChangeProperty(display, window, property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(values.data()),
                  static_cast<int>(values.size()));
}

/// The frame the window owning a slot has claimed, when it still exists and holds one.
bool readClaimedFrame(Display* display, Window owner, Atom property, ScreenRect& frame) {
  const std::vector<long> v = readCardinals(display, owner, property, 4);
  if (v.size() != 4) return false;
  // Written from ints; a window of another client may hold anything, which the stacking rule
  // tolerates.
  frame = {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
           static_cast<int>(v[3])};
  return true;
}

}  // namespace

ScreenRect claimNoticePlace(GtkWindow* window, ScreenRect workArea, int width, int height,
                            int margin, int spacing) {
  GtkWidget* widget = GTK_WIDGET(window);
  GdkDisplay* gdkDisplay = gtk_widget_get_display(widget);
  if (!GDK_IS_X11_DISPLAY(gdkDisplay)) {
    return stackedNoticeFrame({}, workArea, width, height, margin, spacing);
  }
  gtk_widget_realize(widget);
  Display* display = gdk_x11_display_get_xdisplay(gdkDisplay);
  const Window own = gdk_x11_window_get_xid(gtk_widget_get_window(widget));
  const int screen = gdk_x11_screen_get_screen_number(gtk_widget_get_screen(widget));

  // The names are interned in one round trip before the grab, to keep the grab short.
  std::vector<std::string> names;
  for (int i = 0; i < kSlotCount; ++i) {
    names.push_back("BREVINOR_NOTICE_SLOT_" + std::to_string(screen) + "_" + std::to_string(i));
  }
  names.push_back(kFrameProperty);
  names.push_back(kSlotsInUseProperty);
  std::vector<char*> namePointers;
  for (std::string& name : names) namePointers.push_back(name.data());
  std::vector<Atom> atoms(names.size(), None);
  if (!XInternAtoms(display, namePointers.data(), static_cast<int>(namePointers.size()), False,
                    atoms.data())) {
    return stackedNoticeFrame({}, workArea, width, height, margin, spacing);
  }
  const Atom frameProperty = atoms[kSlotCount];
  const Atom slotsInUseProperty = atoms[kSlotCount + 1];
  const Window root = RootWindow(display, screen);

  // An owner may be destroyed between the two requests that find it and read it; its BadWindow
  // must not reach GDK's handler, which would end the process.
  gdk_x11_display_error_trap_push(gdkDisplay);
  XGrabServer(display);
  const std::vector<long> inUse = readCardinals(display, root, slotsInUseProperty, 1);
  const int looked =
      inUse.empty() ? 0 : static_cast<int>(std::clamp(inUse[0], 0L, long{kSlotCount}));
  std::vector<ScreenRect> shown;
  int freeSlot = -1, highestOwned = -1;
  for (int i = 0; i < looked; ++i) {
    const Window owner = XGetSelectionOwner(display, atoms[i]);
    ScreenRect frame;
    if (owner == None) {
      if (freeSlot < 0) freeSlot = i;
      continue;
    }
    highestOwned = i;
    if (owner != own && readClaimedFrame(display, owner, frameProperty, frame)) {
      shown.push_back(frame);
    }
  }
  if (freeSlot < 0 && looked < kSlotCount) freeSlot = looked;
  const ScreenRect place = stackedNoticeFrame(shown, workArea, width, height, margin, spacing);
  if (freeSlot >= 0) {
    writeCardinals(display, own, frameProperty, {place.x, place.y, place.width, place.height});
    XSetSelectionOwner(display, atoms[freeSlot], own, CurrentTime);
  }
  // Slots freed at the end of the range no longer need looking at.
  const long nowInUse = std::max(highestOwned, freeSlot) + 1;
  if (nowInUse != looked) writeCardinals(display, root, slotsInUseProperty, {nowInUse});
  XUngrabServer(display);
  XFlush(display);
  gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
  return place;
}

}  // namespace brevinor
