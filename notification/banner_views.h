#pragma once

#include <memory>
#include <string>

namespace brevinor {

/// A decoded picture, owned by whichever window system decoded it.
class Image {
 public:
  virtual ~Image() = default;
};

/// The banner's views as the window layout connects them to the controller. The window module
/// implements them with GTK; tests fake them.
class ImageView {
 public:
  virtual ~ImageView() = default;
  /// Shows the image; none leaves the view empty.
  virtual void setImage(std::shared_ptr<const Image> image) = 0;
};

class TextField {
 public:
  virtual ~TextField() = default;
  /// Shows the text as plain text: never markup, never a mnemonic.
  virtual void setStringValue(const std::string& text) = 0;
  virtual std::string stringValue() const = 0;
};

/// The translucent card behind the icon and the text.
class VisualEffectView {
 public:
  virtual ~VisualEffectView() = default;
  /// Makes the background look active whether or not the window has focus.
  virtual void setStateActive() = 0;
};

}  // namespace brevinor
