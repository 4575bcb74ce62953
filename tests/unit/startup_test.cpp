// Start-up on real agent files: the setting's gate, the rebranding and the customization.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "notification/banner_text.h"
#include "tests/unit/support/startup_run.h"

using namespace brevinor;
using namespace brevinor::testing;
using Contents = std::optional<std::string>;

TEST(StartupTest, TheSettingTakesBooleansAndOnlyTheNumbersOneAndZero) {
  StartupRun run;
  const std::string gate = "checkIfApplicationRunningPromptEnabled";
  const std::string showing = gate + " : Showing Brevinor", off = gate + " : Tavisend disabled",
                    unknown = gate + " : Cannot Get ApplicationRunningPrompt value",
                    broken = gate + " : Cannot Convert plist to Dict";
  // Near misses of the key come first, and must change nothing.
  const auto set = [](const std::string& value) {
    return dictionaryPlist(
        "<key>ApplicationRunningPrompt </key><true/>"
        "<key>APPLICATIONRUNNINGPROMPT</key><true/>"
        "<key>ApplicationRunningPrompt</key>" +
        value);
  };
  // clang-format off
  const std::pair<Contents, std::string> cases[] = {
      {std::nullopt, gate + " " + run.install.path + "/data/ztpatch_data.plist file not available"},
      {"", broken}, {"<plist><array/></plist>", broken},
      {set("<true/>"), showing}, {set("<false/>"), off},
      {set("<integer>1</integer>"), showing}, {set("<integer>0</integer>"), off},
      {set("<real>1.0</real>"), showing}, {set("<real>0.0</real>"), off},
      {set("<integer>2</integer>"), unknown}, {set("<integer>-1</integer>"), unknown},
      {set("<real>0.5</real>"), unknown}, {set("<string>true</string>"), unknown},
      {dictionaryPlist("<key>applicationRunningPrompt</key><true/>"), unknown},
  };
  // clang-format on
  for (const auto& [settings, line] : cases) {
    run.writeFiles({settings, std::nullopt, std::nullopt});
    CapturedLog log;
    EXPECT_EQ(run.run(), line == showing ? std::nullopt : std::optional(0)) << line;
    EXPECT_THAT(log.messages(), ::testing::Contains(line));
  }
}

TEST(StartupTest, RecordsChangeTheIconOrTextOnlyWhenWhollyUsable) {
  StartupRun run;
  const std::string none = "Rebrand Changes not available", no = "Not Rebranded",
                    defaultText = "Editor " + std::string(kDefaultFailureBody),
                    printed =
                        "Printing customizationData ApplicationRunningPromptCustomization("
                        "failureNotificationMessage: ";
  const auto notString = [](const std::string& key, const std::string& kind) {
    return "value for key \"" + key + "\" is " + kind + ", not a string";
  };
  const auto message = [](const std::string& value) {
    return dictionaryPlist("<key>failureNotificationMessage</key>" + value);
  };
  const struct {
    Contents rebrand, customization;
    std::vector<std::string> lines;  // after the default icon's, before the text's
    std::string text;
  } cases[] = {
      {std::nullopt, std::nullopt, {none}, defaultText},
      {dictionaryPlist("<key>IS_REBRANDED</key><string>true</string>"), {}, {no}, defaultText},
      {dictionaryPlist("<key>IS_REBRANDED</key><string>TRUE </string>"), {}, {no}, defaultText},
      {dictionaryPlist("<key>PRODUCT_NAME</key><string>TRUE</string>"), {}, {no}, defaultText},
      // Rebranded, but without its logo: the default icon stays, silently.
      {dictionaryPlist("<key>IS_REBRANDED</key><string>TRUE</string>"), {}, {}, defaultText},
      {dictionaryPlist("<key>PRODUCT_NAME</key><integer>1</integer><key>IS_REBRANDED</key><true/>"),
       {},
       {"rebrandData error " + notString("IS_REBRANDED", "a boolean"), none},
       defaultText},
      {"<plist><array/></plist>",
       {},
       {"rebrandData error the root is an array, not a dictionary", none},
       defaultText},
      {{},
       message("<string> Try later.</string>"),
       {none, printed + R"(Optional(" Try later.")))"},
       "Editor  Try later."},
      {{}, message("<string></string>"), {none, printed + R"(Optional("")))"}, "Editor "},
      {{}, dictionaryPlist(""), {none, printed + "nil)"}, defaultText},
      {{},
       message("<real>1</real>"),
       {none, "OstrevaneCustomization error " + notString("failureNotificationMessage", "a real")},
       defaultText},
  };
  for (const auto& c : cases) {
    run.writeFiles({dictionaryPlist("<key>ApplicationRunningPrompt</key><true/>"), c.rebrand,
                    c.customization});
    CapturedLog log;
    ASSERT_EQ(run.run(), std::nullopt);
    std::vector<std::string> expected{
        "Log Open:Brevinor", R"(Given App Name Optional("Editor"))",
        "Inside checkIfApplicationRunningPromptEnabled",
        "checkIfApplicationRunningPromptEnabled : Showing Brevinor",
        "Initially setting default image for appIcon :" + run.install.path + "/AppIcon.icns"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    expected.push_back("Printing the ballon text " + c.text);
    expected.push_back("Showing Notification and Playing Sound");
    EXPECT_EQ(log.messages(), expected);
  }
}
