// Start-up on real agent files: the setting's gate, the rebranding and the customization.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "notification/banner_text.h"
#include "tests/unit/support/startup_run.h"

using namespace brevinor;

TEST(StartupTest, TheAgentsFilesCountOnlyWhenWhollyUsable) {
  StartupRun run;
  const std::string gate = "checkIfApplicationRunningPromptEnabled : ",
                    on = gate + "Showing Brevinor", off = gate + "Tavisend disabled",
                    broken = gate + "Cannot Convert plist to Dict",
                    unknown = gate + "Cannot Get ApplicationRunningPrompt value",
                    icon = run.install.path + "\n", none = "Rebrand Changes not available\n",
                    no = "Not Rebranded\n", text = "Printing the ballon text Editor ",
                    body = text + std::string(kDefaultFailureBody),
                    printed =
                        "Printing customizationData ApplicationRunningPromptCustomization("
                        "failureNotificationMessage: ",
                    real = "<real>1</real>", notString = "\" is a real, not a string\n";
  const auto record = [](const std::string& key, const std::string& value) {
    return dictionaryPlist("<key>" + key + "</key>" + value);
  };
  const auto set = [&](const std::string& value) {
    return record("ApplicationRunningPrompt", value);
  };
  const std::string yes = set("<true/>"), message = "failureNotificationMessage";
  const struct {
    std::optional<std::string> settings, rebrand, customization;
    std::string lines;  // as the log holds them, one after the other
  } cases[] = {
      // clang-format off
      {{}, {}, {}, "checkIfApplicationRunningPromptEnabled " + run.install.path +
                   "/data/ztpatch_data.plist file not available"},
      {"", {}, {}, broken}, {"<plist><array/></plist>", {}, {}, broken},
      {set("<false/>"), {}, {}, off}, {set("<integer>1</integer>"), {}, {}, on},
      {set("<integer>0</integer>"), {}, {}, off}, {set("<real>1.0</real>"), {}, {}, on},
      {set("<real>0.0</real>"), {}, {}, off}, {set("<integer>2</integer>"), {}, {}, unknown},
      {set("<integer>-1</integer>"), {}, {}, unknown}, {set("<real>0.5</real>"), {}, {}, unknown},
      {set("<string>true</string>"), {}, {}, unknown},
      {record("applicationRunningPrompt", "<true/>"), {}, {}, unknown},
      {yes, {}, {}, icon + none + body},
      {yes, record("IS_REBRANDED", "<string>true</string>"), {}, icon + no + body},
      {yes, record("IS_REBRANDED", "<string>TRUE </string>"), {}, icon + no + body},
      {yes, record("PRODUCT_NAME", "<string>TRUE</string>"), {}, icon + no + body},
      {yes, record("IS_REBRANDED", "<string>TRUE</string>"), {}, icon + body},  // no logo: silent
      {yes, record("PRODUCT_NAME", "<integer>1</integer><key>IS_REBRANDED</key>" + real), {},
       icon + "rebrandData error value for key \"IS_REBRANDED" + notString + none + body},
      {yes, "<plist><array/></plist>", {},
       icon + "rebrandData error the root is an array, not a dictionary\n" + none + body},
      {yes, {}, record(message, real),
       none + "OstrevaneCustomization error value for key \"" + message + notString + body},
      {yes, {}, dictionaryPlist(""), none + printed + "nil)\n" + body},
      {yes, {}, record(message, "<string></string>"),
       none + printed + "Optional(\"\"))\n" + text + "\n"},
      {yes, {}, record(message, "<string> Later.</string>"),
       none + printed + "Optional(\" Later.\"))\n" + text + " Later.\n"},
      // clang-format on
  };
  for (const auto& c : cases) {
    run.writeFiles({c.settings, c.rebrand, c.customization});
    CapturedLog log;
    run.run();
    EXPECT_THAT(log.messages(), ::testing::HasSubstr(c.lines));
  }
}
