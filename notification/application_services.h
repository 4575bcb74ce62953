#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "notification/banner_views.h"

namespace brevinor {

/// What the controller needs of the running application once the notice is to be shown. The
/// window module implements it with GTK; tests fake it.
class ApplicationServices {
 public:
  virtual ~ApplicationServices() = default;

  /// No taskbar or pager entry and no menu; the window may still show.
  virtual void setAccessoryActivationPolicy() = 0;
  /// The absolute path of a resource of the package, or none when the package has no such file.
  virtual std::optional<std::string> resourcePath(std::string_view name,
                                                  std::string_view type) const = 0;
  /// The decoded image of a file, or none when it cannot be decoded.
  virtual std::shared_ptr<const Image> loadImage(const std::string& path) = 0;
  /// Replaces the application's icon for the rest of the run; none clears it.
  virtual void setApplicationIcon(std::shared_ptr<const Image> image) = 0;
  /// Starts playing the named sound without waiting; when it cannot play, nothing happens.
  virtual void playSound(std::string_view name) = 0;
  /// Runs the action once, on the main loop, after the delay.
  virtual void scheduleOneShot(std::chrono::milliseconds delay, std::function<void()> action) = 0;
  /// The application's normal termination: the main loop ends and the process exits with 0.
  virtual void terminate() = 0;
};

}  // namespace brevinor
