#pragma once

#include <gtk/gtk.h>

#include <memory>

struct org_kde_kwin_blur;
struct org_kde_kwin_blur_manager;
struct wl_compositor;

namespace brevinor {

/// KWin's blur of what lies behind a surface, on a Wayland display that offers it.
class BlurManager {
 public:
  /// The compositor's blur, bound on `display`'s own connection; none when the compositor does not
  /// offer it or does not list its globals within a short wait.
  static std::unique_ptr<BlurManager> offeredBy(GdkDisplay* display);
  ~BlurManager();
  BlurManager(const BlurManager&) = delete;
  BlurManager& operator=(const BlurManager&) = delete;

  /// Asks for what lies behind `region` of `window`'s surface, in its logical pixels, to be
  /// blurred from the surface's next commit on. Nothing is asked for an empty region. One window
  /// only: the card's.
  void request(GdkWindow* window, const cairo_region_t* region);

 private:
  BlurManager(org_kde_kwin_blur_manager* manager, wl_compositor* compositor)
      : manager_(manager), compositor_(compositor) {}

  org_kde_kwin_blur_manager* manager_;
  wl_compositor* compositor_;
  org_kde_kwin_blur* blur_ = nullptr;
};

}  // namespace brevinor
