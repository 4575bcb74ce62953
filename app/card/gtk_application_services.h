#pragma once

#include <gtk/gtk.h>

#include <filesystem>
#include <functional>

#include "notification/application_services.h"

namespace brevinor {

/// The running GTK application as the controller sees it. Without a window (no X display; GTK is
/// not even initialised then) it touches no widget: the window's part of each service is left out.
class GtkApplicationServices : public ApplicationServices {
 public:
  /// `quit` ends the application's main loop.
  GtkApplicationServices(std::function<void()> quit, GtkWindow* window,
                         std::filesystem::path resourceDirectory);
  GtkApplicationServices(const GtkApplicationServices&) = delete;
  GtkApplicationServices& operator=(const GtkApplicationServices&) = delete;

  void setAccessoryActivationPolicy() override;
  std::optional<std::string> resourcePath(std::string_view name,
                                          std::string_view type) const override;
  std::shared_ptr<const Image> loadImage(const std::string& path) override;
  void setApplicationIcon(std::shared_ptr<const Image> image) override;
  void playSound(std::string_view name) override;
  void scheduleOneShot(std::chrono::milliseconds delay, std::function<void()> action) override;
  void terminate() override;

 private:
  std::function<void()> quit_;
  GtkWindow* window_;
  std::filesystem::path resourceDirectory_;
  std::pair<std::string, std::shared_ptr<const Image>> lastDecoded_;
};

}  // namespace brevinor
