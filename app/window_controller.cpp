#include "app/window_controller.h"

namespace brevinor {
namespace {

constexpr guint kBehaviourDelayMs = 1000;

}  // namespace

WindowController::WindowController(GtkWindow* window) : window_(window) {
  if (window_) g_object_add_weak_pointer(G_OBJECT(window_), reinterpret_cast<gpointer*>(&window_));
}

WindowController::~WindowController() {
  if (window_) {
    g_object_remove_weak_pointer(G_OBJECT(window_), reinterpret_cast<gpointer*>(&window_));
  }
}

void WindowController::windowDidLoad() {
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
}

}  // namespace brevinor
