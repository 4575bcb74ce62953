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
  const std::string gate = "checkIfApplicationRunningPromptEnabled",
                    on = gate + " : Showing Brevinor", off = gate + " : Tavisend disabled",
                    broken = gate + " : Cannot Convert plist to Dict",
                    unknown = gate + " : Cannot Get ApplicationRunningPrompt value";
  // Near misses of the key come first, and must change nothing.
  const auto set = [](const std::string& value) {
    return dictionaryPlist(
        "<key>ApplicationRunningPrompt </key><true/><key>APPLICATIONRUNNINGPROMPT"
        "</key><true/><key>ApplicationRunningPrompt</key>" +
        value);
  };
  // clang-format off
  const std::pair<Contents, std::string> cases[] = {
      {{}, gate + " " + run.install.path + "/data/ztpatch_data.plist file not available"},
      {"", broken}, {"<plist><array/></plist>", broken},
      {set("<true/>"), on}, {set("<false/>"), off},
      {set("<integer>1</integer>"), on}, {set("<integer>0</integer>"), off},
      {set("<real>1.0</real>"), on}, {set("<real>0.0</real>"), off},
      {set("<integer>2</integer>"), unknown}, {set("<integer>-1</integer>"), unknown},
      {set("<real>0.5</real>"), unknown}, {set("<string>true</string>"), unknown},
      {dictionaryPlist("<key>applicationRunningPrompt</key><true/>"), unknown}};
  // clang-format on
  for (const auto& [settings, line] : cases) {
    run.writeFiles({settings, {}, {}});
    CapturedLog log;
    EXPECT_EQ(run.run(), line == on ? std::nullopt : std::optional(0)) << line;
    EXPECT_THAT(log.messages(), ::testing::Contains(line));
  }
}

TEST(StartupTest, RecordsChangeTheIconOrTextOnlyWhenWhollyUsable) {
  StartupRun run;
  const std::string none = "Rebrand Changes not available", no = "Not Rebranded",
                    real = "<real>1</real>",
                    printed =
                        "Printing customizationData ApplicationRunningPromptCustomization("
                        "failureNotificationMessage: ",
                    notString = "\" is a real, not a string";
  const auto rebrand = [](const std::string& flag) {
    return dictionaryPlist("<key>PRODUCT_NAME</key><integer>1</integer><key>IS_REBRANDED</key>" +
                           flag);
  };
  const auto message = [](const std::string& value) {
    return dictionaryPlist("<key>failureNotificationMessage</key>" + value);
  };
  const struct {
    Contents rebrand, customization;
    std::vector<std::string> lines;  // between the default icon's and the text's
    std::string text = "Editor " + std::string(kDefaultFailureBody);
  } cases[] = {
      // clang-format off
      {{}, {}, {none}},
      {dictionaryPlist("<key>IS_REBRANDED</key><string>true</string>"), {}, {no}},
      {dictionaryPlist("<key>IS_REBRANDED</key><string>TRUE </string>"), {}, {no}},
      {dictionaryPlist("<key>PRODUCT_NAME</key><string>TRUE</string>"), {}, {no}},
      {dictionaryPlist("<key>IS_REBRANDED</key><string>TRUE</string>"), {}, {}},  // no logo: silent
      {rebrand(real), {}, {"rebrandData error value for key \"IS_REBRANDED" + notString, none}},
      {"<plist><array/></plist>", {},
       {"rebrandData error the root is an array, not a dictionary", none}},
      {{}, message(real), {none, "OstrevaneCustomization error value for key \"" +
                                 std::string("failureNotificationMessage") + notString}},
      {{}, dictionaryPlist(""), {none, printed + "nil)"}},
      {{}, message("<string></string>"), {none, printed + R"(Optional("")))"}, "Editor "},
      {{}, message("<string> Later.</string>"), {none, printed + R"(Optional(" Later.")))"},
       "Editor  Later."},
      // clang-format on
  };
  for (const auto& c : cases) {
    run.writeFiles({dictionaryPlist("<key>ApplicationRunningPrompt</key><true/>"), c.rebrand,
                    c.customization});
    CapturedLog log;
    ASSERT_EQ(run.run(), std::nullopt);
    auto expected = c.lines;
    expected.push_back("Printing the ballon text " + c.text);
    const auto messages = log.messages();  // the lines before are those of every shown notice
    EXPECT_EQ(std::vector(messages.begin() + 5, messages.end() - 1), expected);
  }
}
