#include "app/icns_pictures.h"

#include <gtest/gtest.h>

#include <string>

using namespace brevinor;

std::string bigEndian(std::uint32_t value) {
  return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}
/// An entry of the given type: its header, then its data.
std::string entry(const std::string& type, const std::string& data) {
  return type + bigEndian(static_cast<std::uint32_t>(data.size() + 8)) + data;
}
/// The start of a PNG stream of the given width: signature, then the IHDR chunk's header.
std::string png(std::uint32_t width) {
  return std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + "IHDR" + bigEndian(width) +
         bigEndian(width) + std::string(5, '\0');
}

TEST(IcnsPicturesTest, FindsThePngPicturesUpToTheFirstFault) {
  const std::string pictures =
      entry("it32", std::string(40, 'x')) + entry("ic08", png(256)) + entry("ic09", png(512));
  const std::string whole = entry("icns", pictures);
  const std::size_t secondLength = whole.size() - entry("ic09", png(512)).size() + 4;
  const std::pair<std::string, std::vector<int>> cases[] = {
      {whole, {256, 512}},
      {"\x89PNG" + whole, {}},
      {"icns", {}},
      {std::string(whole).replace(secondLength, 4, bigEndian(1 << 30)), {256}},
      {std::string(whole).replace(4, 4, bigEndian(whole.size() - 1)), {256}},  // family ends early
      {whole.substr(0, whole.size() - 1), {256}},
      {entry("icns", std::string("ic08") + bigEndian(4)), {}},  // entry shorter than its header
      {entry("icns", entry("ic08", "\x89PNG but not really one")), {}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::vector<int> found;
    for (const auto& picture : pngPicturesOfIconFamily(cases[i].first))
      found.push_back(picture.side);
    EXPECT_EQ(found, cases[i].second) << "case " << i;
  }
}

TEST(IcnsPicturesTest, PicksTheSmallestPictureAtLeastAsLargeAsTheSquareElseTheLargest) {
  const std::vector<IcnsPicture> pictures = {{512, {}}, {32, {}}, {128, {}}, {256, {}}};
  for (const auto& [side, expected] : {std::pair{16, 32}, {128, 128}, {129, 256}, {1024, 512}}) {
    EXPECT_EQ(pictureThatFits(pictures, side)->side, expected) << side;
  }
  EXPECT_FALSE(pictureThatFits({}, 64));
}
