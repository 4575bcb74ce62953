#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>

#include "app/x11/activation_return.h"
#include "app/x11/place_keeper.h"

namespace brevinor {

/// Owns the notice's window placement rules. One second after the window has loaded it makes
/// the window stay above other windows, show on every workspace and refuse to be moved; until
/// then the window has the plain behaviour of its layout. Whenever a window manager makes the
/// window the active one (some do on a click, though it takes no focus), the window that was
/// active before is made the active one again, as ActivationReturn decides.
class WindowController : public std::enable_shared_from_this<WindowController> {
 public:
  explicit WindowController(GtkWindow* window);
  ~WindowController();
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  /// Arms the one-shot timer. The timer keeps this controller alive until it has fired.
  void windowDidLoad();

  /// The controller's window, or none once it has been destroyed.
  GtkWindow* window() const { return window_; }

 private:
  void applyWindowBehaviour();
  void onMapped();
  void keepPlace();
  void holdPlace();
  void watchActivation(GdkWindow* surface);
  void activationChanged(unsigned long time, bool look);
  static GdkFilterReturn onRootEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

  GtkWindow* window_;  // weak: cleared by GTK when the window goes away
  bool mapped_ = false;
  // Where the frame is once the window is unmovable: whatever moves it away, it goes back there.
  ScreenPoint frame_;
  bool unmovable_ = false;
  std::optional<PlaceKeeper> keeper_;  // once unmovable and mapped
  guint lookAgain_ = 0;                // the keeper's next look while the window is being moved
  GdkWindow* root_ = nullptr;          // on X11, watched for the active window
  std::optional<ActivationReturn> activation_;  // once watched
  guint lookActive_ = 0;                        // the look at the active window after an answer
};

}  // namespace brevinor
