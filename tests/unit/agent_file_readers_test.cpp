#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "agent/kel_agent.h"
#include "notification/view_controller.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/plist_fixtures.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

using namespace std::string_literals;
using namespace testing;

constexpr const char* kSettings = "data/ztpatch_data.plist";
constexpr const char* kRebrand = "system/rebrand.plist";
constexpr const char* kCustomization = "data/ApplicationRunningPromptCustomization.plist";
constexpr const char* kGate = "checkIfApplicationRunningPromptEnabled";

/// The controller with nothing but the agent's files behind its readers.
class AgentFileReadersTest : public ::testing::Test {
 protected:
  AgentFileReadersTest() {
    KelAgent::setDataPath(agent.makeFolder("data"));
    KelAgent::setSystemDataPath(agent.makeFolder("system"));
  }
  std::string pathOf(const char* file) const { return agent.path() + "/" + file; }
  void expectGate(const std::string& line, const std::string& label) {
    CapturedLog log;
    const bool shown = controller.checkIfApplicationRunningPromptEnabled();
    EXPECT_EQ(shown, line.ends_with("Showing Brevinor")) << label;
    EXPECT_THAT(log.messages(), ::testing::ElementsAre("Inside "s + kGate, line)) << label;
  }
  void expectRecordErrors(const std::string& rebrandWhy, const std::string& customizationWhy) {
    CapturedLog log;
    EXPECT_EQ(controller.getRebrandDetails(), std::nullopt);
    EXPECT_EQ(controller.getCustomizationData(), std::nullopt);
    EXPECT_THAT(log.messages(),
                ::testing::ElementsAre("rebrandData error " + rebrandWhy,
                                       "OstrevaneCustomization error " + customizationWhy));
  }

  TemporaryFolder agent;
  ViewController controller;
};

TEST_F(AgentFileReadersTest, TheGateTakesBooleansAndOnlyTheNumbersOneAndZero) {
  const std::string showing = kGate + " : Showing Brevinor"s;
  const std::string disabled = kGate + " : Tavisend disabled"s;
  const std::string cannotGet = kGate + " : Cannot Get ApplicationRunningPrompt value"s;
  const std::string cannotConvert = kGate + " : Cannot Convert plist to Dict"s;
  expectGate(kGate + " "s + pathOf(kSettings) + " file not available", "no file");
  agent.makeFolder(kSettings);
  expectGate(cannotConvert, "directory");
  std::filesystem::remove(pathOf(kSettings));
  const std::string key = "<key>ApplicationRunningPrompt</key>";
  // Near misses of the key, which must change nothing.
  const std::string others =
      "<key>ApplicationRunningPrompt </key><true/><key>APPLICATIONRUNNINGPROMPT</key><true/>";
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {key + "<true/>", showing},                  {key + "<false/>", disabled},
      {key + "<integer>1</integer>", showing},     {key + "<integer>0</integer>", disabled},
      {key + "<real>1.0</real>", showing},         {key + "<real>0.0</real>", disabled},
      {key + "<integer>2</integer>", cannotGet},   {key + "<integer>-1</integer>", cannotGet},
      {key + "<string>true</string>", cannotGet},  {key + "<real>0.5</real>", cannotGet},
      {"<key>applicationRunningPrompt</key><true/>", cannotGet},
  };
  // clang-format on
  for (const auto form : kPlistForms) {
    for (const auto& [body, line] : cases) {
      agent.writeFile(kSettings, dictionaryPlist(others + body, form));
      expectGate(line, body);
    }
    agent.writeFile(kSettings, plistOf("<array/>", form));
    expectGate(cannotConvert, "array root");
  }
  agent.writeFile(kSettings, "");
  expectGate(cannotConvert, "empty file");
}

TEST_F(AgentFileReadersTest, RecordsGiveStringsExactlyAndNothingForAMissingFileOrKey) {
  CapturedLog log;
  EXPECT_EQ(controller.getRebrandDetails(), std::nullopt);
  EXPECT_EQ(controller.getCustomizationData(), std::nullopt);
  // clang-format off
  const std::pair<std::string, std::optional<std::string>> cases[] = {  // as written, as read
      {"", std::nullopt}, {"<string></string>", ""},
      {"<string> Try later.</string>", " Try later."},
      {"<string>Line one\nLine two</string>", "Line one\nLine two"},
      {"<string>100% %s %n</string>", "100% %s %n"},
      {"<string>&lt;b&gt;&amp;amp;&lt;/b&gt;</string>", "<b>&amp;</b>"},
      {"<string>caf\xC3\xA9 \xF0\x9F\x98\x80</string>", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
  };
  // clang-format on
  for (const auto form : kPlistForms) {
    for (const auto& [xml, message] : cases) {
      // An empty dictionary when no message: each record then holds nothing.
      const std::string customization =
          message ? "<key>failureNotificationMessage</key>" + xml : "";
      const std::string rebrand =
          message ? "<key>IS_REBRANDED</key><string>TRUE</string><key>PRODUCT_NAME</key>" + xml
                  : "";
      agent.writeFile(kCustomization, dictionaryPlist(customization, form));
      agent.writeFile(kRebrand, dictionaryPlist(rebrand, form));
      EXPECT_EQ(controller.getCustomizationData().value().failureNotificationMessage, message);
      const auto rebranded = controller.getRebrandDetails().value();
      EXPECT_EQ(rebranded.isRebranded, message ? std::optional<std::string>("TRUE") : std::nullopt);
      EXPECT_EQ(rebranded.productName, message);
    }
  }
  EXPECT_THAT(log.messages(), ::testing::IsEmpty());
}

TEST_F(AgentFileReadersTest, AnUnusableRecordIsNoneWithOneLineNamingWhy) {
  agent.makeFolder(kRebrand);
  agent.makeFolder(kCustomization);
  expectRecordErrors("cannot read " + pathOf(kRebrand) + ": not a regular file",
                     "cannot read " + pathOf(kCustomization) + ": not a regular file");
  std::filesystem::remove(pathOf(kRebrand));
  std::filesystem::remove(pathOf(kCustomization));
  const auto why = [](const std::string& key, const std::string& kind) {
    return "value for key \"" + key + "\" is " + kind + ", not a string";
  };
  // One file for both records: each reads only its own keys, in its own order.
  const struct {
    std::string body, rebrandWhy, customizationWhy;
  } cases[] = {
      {"<key>PRODUCT_NAME</key><integer>1</integer><key>IS_REBRANDED</key><true/>"
       "<key>failureNotificationMessage</key><real>1</real>",
       why("IS_REBRANDED", "a boolean"), why("failureNotificationMessage", "a real")},
      {"<key>IS_REBRANDED</key><string>x</string><key>PRODUCT_NAME</key><integer>1</integer>"
       "<key>failureNotificationMessage</key><data>eA==</data>",
       why("PRODUCT_NAME", "an integer"), why("failureNotificationMessage", "data")},
  };
  for (const auto form : kPlistForms) {
    for (const auto& c : cases) {
      agent.writeFile(kRebrand, dictionaryPlist(c.body, form));
      agent.writeFile(kCustomization, dictionaryPlist(c.body, form));
      expectRecordErrors(c.rebrandWhy, c.customizationWhy);
    }
    agent.writeFile(kRebrand, plistOf("<array/>", form));
    agent.writeFile(kCustomization, plistOf("<string>x</string>", form));
    expectRecordErrors("the root is an array, not a dictionary",
                       "the root is a string, not a dictionary");
  }
}

}  // namespace
}  // namespace brevinor
