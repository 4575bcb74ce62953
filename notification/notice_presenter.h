#pragma once

#include "notification/application_services.h"
#include "notification/banner_views.h"

namespace brevinor {

/// The window's loaded content: the views that the layout connects and the application around
/// them. The window module hands it to the presenter before the window goes on screen.
struct LoadedNotice {
  ImageView& bannerIcon;
  TextField& bannerText;
  VisualEffectView& view;
  ApplicationServices& application;
};

/// Fills a loaded window. Called once, on the main thread, before the window is shown.
class NoticePresenter {
 public:
  virtual void present(LoadedNotice notice) = 0;

 protected:
  ~NoticePresenter() = default;
};

}  // namespace brevinor
