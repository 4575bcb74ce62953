#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace brevinor {

/// One PNG-coded picture inside an icon family (.icns) file.
struct IcnsPicture {
  int side;              ///< its longer side in pixels, as its PNG header says
  std::string_view png;  ///< the whole PNG stream, inside the file's bytes
};

/// The PNG-coded pictures of an icon family held in memory, in file order; none when the bytes
/// are not an icon family. Entries in the older run-length formats are left out. Bounds are
/// checked everywhere: a truncated or lying file yields the pictures before the fault.
std::vector<IcnsPicture> pngPicturesOfIconFamily(std::string_view file);

/// The picture to draw a square of `side` device pixels from: the smallest at least that large,
/// else the largest; none when there is none.
std::optional<IcnsPicture> pictureThatFits(const std::vector<IcnsPicture>& pictures, int side);

}  // namespace brevinor
