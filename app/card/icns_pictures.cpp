// Written by hand: gdk-pixbuf's ICNS loader always decodes the same one of a family's pictures
// and cannot be asked for a size, and no library in Debian reads just the family's index.

#include "app/card/icns_pictures.h"

#include <algorithm>
#include <cstdint>

namespace brevinor {
namespace {

constexpr std::string_view kFamilyMagic = "icns";
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
constexpr std::size_t kHeaderSize = 8;  // four-letter type, then a big-endian length
// The PNG signature, the first chunk's length and type ("IHDR"), then the width and height.
constexpr std::size_t kPngWidthOffset = 16;

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i]));
  };
  return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

/// The longer side, whatever its length: a caller must see a picture too large to decode.
std::optional<int> pngSide(std::string_view data) {
  if (data.size() < kPngWidthOffset + 8 || !data.starts_with(kPngSignature) ||
      data.substr(12, 4) != "IHDR") {
    return std::nullopt;
  }
  const std::uint32_t side =
      std::max(bigEndian32(data, kPngWidthOffset), bigEndian32(data, kPngWidthOffset + 4));
  if (side == 0 || side > INT32_MAX) return std::nullopt;
  return static_cast<int>(side);
}

}  // namespace

std::vector<IcnsPicture> pngPicturesOfIconFamily(std::string_view file) {
  std::vector<IcnsPicture> pictures;
  if (file.size() < kHeaderSize || !file.starts_with(kFamilyMagic)) return pictures;
  // The family's own length may be shorter than the file, never longer.
  const std::size_t end = std::min<std::size_t>(file.size(), bigEndian32(file, 4));
  std::size_t at = kHeaderSize;
  while (end >= kHeaderSize && at <= end - kHeaderSize) {
    const std::size_t length = bigEndian32(file, at + 4);
    if (length < kHeaderSize || length > end - at) break;
    const std::string_view data = file.substr(at + kHeaderSize, length - kHeaderSize);
    if (const auto side = pngSide(data)) pictures.push_back({*side, data});
    at += length;
  }
  return pictures;
}

std::optional<IcnsPicture> pictureThatFits(const std::vector<IcnsPicture>& pictures, int side) {
  std::optional<IcnsPicture> best;
  for (const IcnsPicture& picture : pictures) {
    const bool fits = picture.side >= side;
    if (!best) {
      best = picture;
    } else if (fits ? (best->side < side || picture.side < best->side)
                    : (best->side < side && picture.side > best->side)) {
      best = picture;
    }
  }
  return best;
}

}  // namespace brevinor
