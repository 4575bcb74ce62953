#include "notification/described_text.h"

#include <gtest/gtest.h>

#include "notification/banner_text.h"

namespace brevinor {
namespace {

TEST(DescribedTextTest, EscapesWhatWouldBreakTheLiteralOrTheLine) {
  using namespace std::string_literals;
  const struct {
    std::string text;
    std::string described;
  } cases[] = {
      {"Editor", R"(Optional("Editor"))"},
      {"", R"(Optional(""))"},
      {R"(say "hi")", R"(Optional("say \"hi\""))"},
      {R"(C:\dir)", R"(Optional("C:\\dir"))"},
      {"a\tb\nc\rd"s, R"(Optional("a\tb\nc\rd"))"},
      {"nul\0end"s, R"(Optional("nul\0end"))"},
      {"bell\a del\x7f", R"(Optional("bell\u{7} del\u{7f}"))"},
      {"100% %s %n", R"(Optional("100% %s %n"))"},
      {"Café ✓", R"(Optional("Café ✓"))"},
  };
  for (const auto& c : cases) EXPECT_EQ(describedOptional(c.text), c.described);
  EXPECT_EQ(describedOptional(std::nullopt), "nil");
}

TEST(BannerTextTest, JoinsNameAndBodyWithOneBlank) {
  const std::string defaultText =
      "Editor update failed. You can now use the application. Patching will be attempted "
      "again shortly.";
  EXPECT_EQ(composeBannerText("Editor", std::nullopt), defaultText);
  EXPECT_EQ(composeBannerText("Editor", ""), "Editor ");
  EXPECT_EQ(composeBannerText("Editor", " two blanks"), "Editor  two blanks");
  EXPECT_EQ(composeBannerText("", std::nullopt), " " + std::string(kDefaultFailureBody));
  EXPECT_EQ(composeBannerText("<b>x</b>", "line one\nline two %s"),
            "<b>x</b> line one\nline two %s");
}

}  // namespace
}  // namespace brevinor
