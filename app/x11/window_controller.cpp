#include "app/x11/window_controller.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>

namespace brevinor {
namespace {

constexpr guint kBehaviourDelayMs = 1000;
constexpr auto kLookAfterPutBack = std::chrono::milliseconds(250);
constexpr guint kLookAfterAnswer = 150;  // ms: the manager has long handled a gesture's events
constexpr long kSourcePager = 2;  // a request on the user's behalf, which managers always honour

Window activeWindow(Display* display, Window root) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  Window active = None;
  if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1,
                         False, XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
      type == XA_WINDOW && format == 32 && count == 1) {
    active = *reinterpret_cast<const Window*>(data);
  }
  if (data) XFree(data);
  return active;
}

}  // namespace

WindowController::WindowController(GtkWindow* window) : window_(window) {
  if (window_) g_object_add_weak_pointer(G_OBJECT(window_), reinterpret_cast<gpointer*>(&window_));
}

WindowController::~WindowController() {
  if (lookAgain_) g_source_remove(lookAgain_);
  if (lookActive_) g_source_remove(lookActive_);
  if (root_) gdk_window_remove_filter(root_, onRootEvent, this);
  if (window_) {
    g_signal_handlers_disconnect_by_data(window_, this);
    g_object_remove_weak_pointer(G_OBJECT(window_), reinterpret_cast<gpointer*>(&window_));
  }
}

void WindowController::windowDidLoad() {
  if (window()) {
    g_signal_connect(window(), "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                       static_cast<WindowController*>(self)->onMapped();
                       return FALSE;
                     }),
                     this);
    g_signal_connect(window(), "configure-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                       static_cast<WindowController*>(self)->holdPlace();
                       return FALSE;
                     }),
                     this);
  }
  auto* keepAlive = new std::shared_ptr<WindowController>(shared_from_this());
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, kBehaviourDelayMs,
      [](gpointer data) -> gboolean {
        (*static_cast<std::shared_ptr<WindowController>*>(data))->applyWindowBehaviour();
        return G_SOURCE_REMOVE;
      },
      keepAlive,
      [](gpointer data) { delete static_cast<std::shared_ptr<WindowController>*>(data); });
}

void WindowController::onMapped() {
  GdkWindow* surface = window() ? gtk_widget_get_window(GTK_WIDGET(window())) : nullptr;
  if (!surface || mapped_) return;
  mapped_ = true;
  // A window that does not take the focus on map gets a zero user time, and some managers then
  // map it under the focused window, hidden. Raise it once, as of now, without focusing it.
  if (GDK_IS_X11_WINDOW(surface)) {
    gdk_x11_window_set_user_time(surface, gdk_x11_get_server_time(surface));
    watchActivation(surface);
  }
  gdk_window_raise(surface);
  keepPlace();
}

void WindowController::holdPlace() {
  GdkWindow* surface = window() ? gtk_widget_get_window(GTK_WIDGET(window())) : nullptr;
  if (!keeper_ || !surface) return;
  ScreenPoint seen;
  gdk_window_get_origin(surface, &seen.x, &seen.y);
  std::optional<PlaceKeeper::Clock::time_point> lookAt;
  if (keeper_->putBack(seen, PlaceKeeper::Clock::now())) {
    gtk_window_move(window(), frame_.x, frame_.y);
    // A manager may drop the request without a word (fluxbox, now and then, after a drag): look
    // again shortly even if no event comes.
    lookAt = PlaceKeeper::Clock::now() + kLookAfterPutBack;
  } else {
    // Nothing may move the window again once the manager lets go of it: look by itself then.
    lookAt = keeper_->lookAgainAt();
  }
  if (!lookAt) return;
  if (lookAgain_) g_source_remove(lookAgain_);
  const auto wait =
      std::chrono::ceil<std::chrono::milliseconds>(*lookAt - PlaceKeeper::Clock::now()).count();
  lookAgain_ = g_timeout_add(
      static_cast<guint>(std::max<long long>(wait, 0)),
      [](gpointer self) -> gboolean {
        static_cast<WindowController*>(self)->lookAgain_ = 0;
        static_cast<WindowController*>(self)->holdPlace();
        return G_SOURCE_REMOVE;
      },
      this);
}

void WindowController::watchActivation(GdkWindow* surface) {
  // Some managers (i3 on a click or a drag) make a window that takes no focus the active one all
  // the same: the desktop, and the manager's own key bindings, then take the card for the window
  // the user works in. Watching the active window tells which one to give that back to.
  root_ = gdk_screen_get_root_window(gdk_window_get_screen(surface));
  gdk_window_set_events(
      root_, static_cast<GdkEventMask>(gdk_window_get_events(root_) | GDK_PROPERTY_CHANGE_MASK));
  gdk_window_add_filter(root_, onRootEvent, this);
  activationChanged(CurrentTime, false);
}

void WindowController::activationChanged(unsigned long time, bool look) {
  GdkWindow* surface = window() ? gtk_widget_get_window(GTK_WIDGET(window())) : nullptr;
  if (!surface) return;
  Display* display = gdk_x11_display_get_xdisplay(gdk_window_get_display(surface));
  const Window root = gdk_x11_window_get_xid(root_);
  const Window own = gdk_x11_window_get_xid(surface);
  if (!activation_) activation_.emplace(own);
  const auto answer = activation_->seen(activeWindow(display, root), look);
  if (answer.lookAgain && !lookActive_) {
    lookActive_ = g_timeout_add(
        kLookAfterAnswer,
        [](gpointer self) -> gboolean {
          static_cast<WindowController*>(self)->lookActive_ = 0;
          static_cast<WindowController*>(self)->activationChanged(CurrentTime, true);
          return G_SOURCE_REMOVE;
        },
        this);
  }
  if (!answer.giveTo) return;
  // Asked as a pager asks, with the time of the change, which is after the gesture that made it.
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = answer.giveTo;
  request.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
  request.xclient.format = 32;
  request.xclient.data.l[0] = kSourcePager;
  request.xclient.data.l[1] = static_cast<long>(time);
  request.xclient.data.l[2] = static_cast<long>(own);
  XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
  XFlush(display);
}

void WindowController::applyWindowBehaviour() {
  // Each step looks for the window on its own: it may have gone in the meantime.
  if (window()) gtk_window_set_keep_above(window(), TRUE);
  if (window()) gtk_window_stick(window());
  if (window()) {
    // An explicit list without "move". GDK_FUNC_ALL with exclusions does not work: some window
    // managers then ignore every other bit and still let the user drag the window.
    if (GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window()))) {
      gdk_window_set_functions(surface, GDK_FUNC_CLOSE);
    }
  }
  unmovable_ = true;
  keepPlace();
}

void WindowController::keepPlace() {
  // No manager refuses a pager's or a program's move request, so the window holds its place
  // itself: once it is unmovable and mapped (a busy manager may map it later than that), a move
  // away from where it is then, its claimed place, is undone.
  GdkWindow* surface = window() ? gtk_widget_get_window(GTK_WIDGET(window())) : nullptr;
  if (!unmovable_ || !mapped_ || keeper_ || !surface) return;
  // Read now, not when the map event came: some managers (fluxbox) still settle the frame then.
  ScreenPoint origin;
  gdk_window_get_origin(surface, &origin.x, &origin.y);
  gdk_window_get_root_origin(surface, &frame_.x, &frame_.y);
  keeper_.emplace(origin);
}

GdkFilterReturn WindowController::onRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  const auto* event = static_cast<const XEvent*>(xevent);
  if (event->type == PropertyNotify &&
      event->xproperty.atom == gdk_x11_get_xatom_by_name("_NET_ACTIVE_WINDOW")) {
    static_cast<WindowController*>(self)->activationChanged(event->xproperty.time, false);
  }
  return GDK_FILTER_CONTINUE;
}

}  // namespace brevinor
