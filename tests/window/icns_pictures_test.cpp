#include "app/card/icns_pictures.h"

#include <gtest/gtest.h>

#include <string>

#include "app/card/gobject_ptr.h"
#include "app/card/gtk_application_services.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;

std::string bigEndian(std::size_t value) {
  return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}
/// An entry of the given type: its header, then its data.
std::string entry(const std::string& type, const std::string& data) {
  return type + bigEndian(data.size() + 8) + data;
}
/// The start of a square PNG stream: signature, IHDR chunk length and type, width and height.
std::string png(std::size_t side) {
  return "\x89PNG\r\n\x1a\n" + bigEndian(13) + "IHDR" + bigEndian(side) + bigEndian(side);
}

TEST(IcnsPicturesTest, FindsThePngPicturesUpToTheFirstFaultAndPicksTheOneThatFits) {
  const std::string last = entry("ic09", png(512));
  const std::string whole = entry("icns", entry("it32", "length") + entry("ic08", png(256)) + last);
  const std::pair<std::string, std::vector<int>> cases[] = {
      // clang-format off
      {whole, {256, 512}}, {"\x89PNG" + whole, {}}, {"icns", {}},
      {std::string(whole).replace(whole.size() - last.size() + 4, 4, bigEndian(1 << 30)), {256}},
      {std::string(whole).replace(4, 4, bigEndian(whole.size() - 1)), {256}},  // a shorter family
      {whole.substr(0, whole.size() - 1), {256}},
      {entry("icns", "ic08" + bigEndian(4)), {}},  // an entry shorter than its header
      {entry("icns", entry("ic08", "\x89PNG but not really one")), {}},
      // clang-format on
  };
  for (const auto& [bytes, sides] : cases) {
    std::vector<int> found;
    for (const auto& picture : pngPicturesOfIconFamily(bytes)) found.push_back(picture.side);
    EXPECT_EQ(found, sides) << bytes.size() << " bytes";
  }
  const std::vector<IcnsPicture> pictures = {{512, {}}, {32, {}}, {128, {}}, {256, {}}};
  for (const auto& [side, fits] : {std::pair{16, 32}, {128, 128}, {129, 256}, {1024, 512}}) {
    EXPECT_EQ(pictureThatFits(pictures, side)->side, fits) << side;
  }
  EXPECT_FALSE(pictureThatFits({}, 64));
}

// A picture with a side over 4096 is no image, alone or in an icon family; one within is shown.
TEST(IcnsPicturesTest, PicturesLongerThan4096ASideAreNotDecoded) {
  const TemporaryFolder folder;
  for (const auto& [width, height] : {std::pair{4096, 1}, {1, 4097}}) {
    auto pixbuf = adoptObject(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height));
    gchar* png = nullptr;
    gsize size = 0;
    ASSERT_TRUE(gdk_pixbuf_save_to_buffer(pixbuf.get(), &png, &size, "png", nullptr, nullptr));
    for (const std::string& path :
         {folder.write("a.png", {png, size}),
          folder.write("a.icns", entry("icns", entry("ic10", {png, size})))}) {
      EXPECT_EQ(GtkApplicationServices({}, nullptr, {}).loadImage(path) != nullptr, height == 1)
          << path;
    }
    g_free(png);
  }
}
