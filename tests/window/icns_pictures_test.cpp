#include "app/icns_pictures.h"

#include <gtest/gtest.h>

#include <string>

namespace brevinor {
namespace {

std::string bigEndian(std::uint32_t value) {
  return {char(value >> 24), char(value >> 16 & 0xff), char(value >> 8 & 0xff), char(value & 0xff)};
}

// The start of a PNG stream of the given width: signature, then the IHDR chunk's header.
std::string pngOfWidth(std::uint32_t width) {
  return std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + "IHDR" + bigEndian(width) +
         bigEndian(width) + std::string(5, '\0');
}

std::string entry(const std::string& type, const std::string& data) {
  return type + bigEndian(static_cast<std::uint32_t>(data.size() + 8)) + data;
}

std::string family(const std::string& entries) {
  return "icns" + bigEndian(static_cast<std::uint32_t>(entries.size() + 8)) + entries;
}

std::vector<int> sides(const std::vector<IcnsPicture>& pictures) {
  std::vector<int> found;
  for (const auto& picture : pictures) found.push_back(picture.side);
  return found;
}

TEST(IcnsPicturesTest, FindsThePngPicturesAndStopsAtTheFirstFault) {
  const std::string legacy = entry("it32", std::string(40, 'x'));
  const std::size_t pngEntrySize = entry("ic08", pngOfWidth(256)).size();
  const std::string family256and512 =
      family(legacy + entry("ic08", pngOfWidth(256)) + entry("ic09", pngOfWidth(512)));
  std::string overlong = family(entry("ic08", pngOfWidth(256)) + entry("ic09", pngOfWidth(512)));
  overlong.replace(8 + pngEntrySize + 4, 4,
                   bigEndian(1 << 30));  // the second entry claims a gigabyte
  std::string shortFamily = family256and512;
  shortFamily.replace(4, 4,
                      bigEndian(8 + legacy.size() + pngEntrySize));  // the family ends after ic08
  const struct {
    const char* what;
    std::string bytes;
    std::vector<int> expected;
  } cases[] = {
      {"run-length entries skipped", family256and512, {256, 512}},
      {"not a family", "\x89PNG" + family256and512, {}},
      {"empty", "", {}},
      {"header only", "icns", {}},
      {"entry beyond the end", overlong, {256}},
      {"family shorter than the file", shortFamily, {256}},
      {"entry shorter than its header", family(std::string("ic08") + bigEndian(4)), {}},
      {"truncated file", family256and512.substr(0, family256and512.size() - 1), {256}},
      {"not a PNG inside", family(entry("ic08", "\x89PNG but not really one")), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(sides(pngPicturesOfIconFamily(c.bytes)), c.expected);
  }
}

TEST(IcnsPicturesTest, PicksTheSmallestPictureAtLeastAsLargeAsTheSquareElseTheLargest) {
  const std::vector<IcnsPicture> pictures = {{512, {}}, {32, {}}, {128, {}}, {256, {}}};
  const struct {
    int side;
    int expected;
  } cases[] = {{16, 32}, {64, 128}, {128, 128}, {129, 256}, {192, 256}, {1024, 512}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.side);
    EXPECT_EQ(pictureThatFits(pictures, c.side)->side, c.expected);
  }
  EXPECT_FALSE(pictureThatFits({}, 64));
}

}  // namespace
}  // namespace brevinor
