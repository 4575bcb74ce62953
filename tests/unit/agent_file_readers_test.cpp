#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "agent/kel_agent.h"
#include "notification/view_controller.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/plist_fixtures.h"

namespace brevinor {
namespace {

using testing::CapturedLog;
using testing::dictionaryOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::PlistForm;
using testing::serialized;
using testing::TemporaryFolder;

constexpr PlistForm kForms[] = {PlistForm::xml, PlistForm::binary};

/// The controller with nothing but the agent's files behind its readers.
class AgentFileReadersTest : public ::testing::Test {
 protected:
  AgentFileReadersTest() {
    KelAgent::setDataPath(agent.makeFolder("data"));
    KelAgent::setSystemDataPath(agent.makeFolder("system"));
  }

  std::string settingsPath() const { return KelAgent::dataPath() + "/ztpatch_data.plist"; }
  std::string rebrandPath() const { return KelAgent::systemDataPath() + "/rebrand.plist"; }
  std::string customizationPath() const {
    return KelAgent::dataPath() + "/ApplicationRunningPromptCustomization.plist";
  }
  void write(const std::string& path, const std::string& bytes) const {
    agent.writeFile(path.substr(agent.path().size() + 1), bytes);
  }

  TemporaryFolder agent;
  ViewController controller;
};

constexpr const char* kInside = "Inside checkIfApplicationRunningPromptEnabled";
constexpr const char* kCannotConvert =
    "checkIfApplicationRunningPromptEnabled : Cannot Convert plist to Dict";
constexpr const char* kCannotGet =
    "checkIfApplicationRunningPromptEnabled : Cannot Get ApplicationRunningPrompt value";
constexpr const char* kShowing = "checkIfApplicationRunningPromptEnabled : Showing Brevinor";
constexpr const char* kDisabled = "checkIfApplicationRunningPromptEnabled : Tavisend disabled";

TEST_F(AgentFileReadersTest, TheGateSaysNoWithoutASettingsDictionary) {
  const struct {
    const char* description;
    std::function<void()> install;
    bool missing;
  } cases[] = {
      {"no file", [] {}, true},
      {"a directory", [&] { agent.makeFolder("data/ztpatch_data.plist"); }, false},
      {"an empty file", [&] { write(settingsPath(), ""); }, false},
      {"not a property list", [&] { write(settingsPath(), "ApplicationRunningPrompt=1"); }, false},
      {"an XML array root",
       [&] { write(settingsPath(), serialized(plist_new_array(), PlistForm::xml)); }, false},
      {"a binary array root",
       [&] { write(settingsPath(), serialized(plist_new_array(), PlistForm::binary)); }, false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(settingsPath());
    c.install();
    CapturedLog log;
    EXPECT_FALSE(controller.checkIfApplicationRunningPromptEnabled()) << c.description;
    const std::string second = c.missing ? "checkIfApplicationRunningPromptEnabled " +
                                               settingsPath() + " file not available"
                                         : kCannotConvert;
    EXPECT_THAT(log.messages(), ElementsAre(kInside, second)) << c.description;
  }
}

TEST_F(AgentFileReadersTest, TheGateTakesBooleansAndOnlyTheNumbersOneAndZero) {
  const struct {
    const char* description;
    std::function<plist_t()> value;  // none: the key is left out
    const char* key;
    const char* line;
  } cases[] = {
      {"true", [] { return plist_new_bool(1); }, "ApplicationRunningPrompt", kShowing},
      {"false", [] { return plist_new_bool(0); }, "ApplicationRunningPrompt", kDisabled},
      {"1", [] { return plist_new_uint(1); }, "ApplicationRunningPrompt", kShowing},
      {"0", [] { return plist_new_uint(0); }, "ApplicationRunningPrompt", kDisabled},
      {"1.0", [] { return plist_new_real(1.0); }, "ApplicationRunningPrompt", kShowing},
      {"0.0", [] { return plist_new_real(0.0); }, "ApplicationRunningPrompt", kDisabled},
      {"2", [] { return plist_new_uint(2); }, "ApplicationRunningPrompt", kCannotGet},
      {"-1", [] { return plist_new_uint(static_cast<uint64_t>(-1)); }, "ApplicationRunningPrompt",
       kCannotGet},
      {"0.5", [] { return plist_new_real(0.5); }, "ApplicationRunningPrompt", kCannotGet},
      {"\"true\"", [] { return plist_new_string("true"); }, "ApplicationRunningPrompt", kCannotGet},
      {"a date", [] { return plist_new_date(0, 0); }, "ApplicationRunningPrompt", kCannotGet},
      {"data", [] { return plist_new_data("\1", 1); }, "ApplicationRunningPrompt", kCannotGet},
      {"[true]",
       [] {
         plist_t array = plist_new_array();
         plist_array_append_item(array, plist_new_bool(1));
         return array;
       },
       "ApplicationRunningPrompt", kCannotGet},
      {"a dictionary",
       [] {
         return dictionaryOf({{"ApplicationRunningPrompt", plist_new_bool(1)}});
       },
       "ApplicationRunningPrompt", kCannotGet},
      {"key in another case", [] { return plist_new_bool(1); }, "applicationRunningPrompt",
       kCannotGet},
      {"key absent", nullptr, "ApplicationRunningPrompt", kCannotGet},
  };
  for (const auto form : kForms) {
    for (const auto& c : cases) {
      // Other keys, whatever they hold, change nothing.
      plist_t settings = dictionaryOf({{"Other", plist_new_bool(1)},
                                       {"ApplicationRunningPrompt ", plist_new_bool(1)},
                                       {"APPLICATIONRUNNINGPROMPT", plist_new_uint(1)}});
      if (c.value) plist_dict_set_item(settings, c.key, c.value());
      write(settingsPath(), serialized(settings, form));
      CapturedLog log;
      EXPECT_EQ(controller.checkIfApplicationRunningPromptEnabled(), c.line == kShowing)
          << c.description << " " << testing::formName(form);
      EXPECT_THAT(log.messages(), ElementsAre(kInside, c.line))
          << c.description << " " << testing::formName(form);
    }
  }
}

TEST_F(AgentFileReadersTest, RecordsAreTakenWithEveryStringExactlyAsStored) {
  const std::string messages[] = {"",           " Try later.",  "Line one\nLine two",
                                  "100% %s %n", "<b>&amp;</b>", "caf\xC3\xA9 \xF0\x9F\x98\x80"};
  for (const auto form : kForms) {
    for (const auto& message : messages) {
      write(customizationPath(),
            serialized(
                dictionaryOf({{"failureNotificationMessage", plist_new_string(message.c_str())}}),
                form));
      write(rebrandPath(),
            serialized(dictionaryOf({{"IS_REBRANDED", plist_new_string("TRUE")},
                                     {"PRODUCT_NAME", plist_new_string(message.c_str())},
                                     {"OTHER", plist_new_uint(7)}}),
                       form));
      CapturedLog log;
      const auto customization = controller.getCustomizationData();
      ASSERT_TRUE(customization.has_value()) << message;
      EXPECT_EQ(customization->failureNotificationMessage, message);
      const auto rebrand = controller.getRebrandDetails();
      ASSERT_TRUE(rebrand.has_value()) << message;
      EXPECT_EQ(rebrand->isRebranded, "TRUE");
      EXPECT_EQ(rebrand->productName, message);
      EXPECT_THAT(log.messages(), IsEmpty());
    }
  }
}

TEST_F(AgentFileReadersTest, MissingFilesAndEmptyDictionariesGiveQuietly) {
  CapturedLog log;
  EXPECT_EQ(controller.getRebrandDetails(), std::nullopt);
  EXPECT_EQ(controller.getCustomizationData(), std::nullopt);
  for (const auto form : kForms) {
    write(rebrandPath(), serialized(plist_new_dict(), form));
    write(customizationPath(), serialized(plist_new_dict(), form));
    const auto rebrand = controller.getRebrandDetails();
    ASSERT_TRUE(rebrand.has_value());
    EXPECT_EQ(rebrand->isRebranded, std::nullopt);
    EXPECT_EQ(rebrand->productName, std::nullopt);
    const auto customization = controller.getCustomizationData();
    ASSERT_TRUE(customization.has_value());
    EXPECT_EQ(customization->failureNotificationMessage, std::nullopt);
  }
  EXPECT_THAT(log.messages(), IsEmpty());
}

TEST_F(AgentFileReadersTest, AnUnusableRecordIsNoneWithOneLineNamingWhy) {
  using Entries = std::vector<std::pair<std::string, std::function<plist_t()>>>;
  const auto boolean = [] { return plist_new_bool(1); };
  const auto integer = [] { return plist_new_uint(1); };
  const auto text = [] { return plist_new_string("x"); };
  const struct {
    Entries rebrand;
    Entries customization;
    std::string reason;
  } cases[] = {
      {{{"IS_REBRANDED", boolean}},
       {{"failureNotificationMessage", boolean}},
       "value for key \"%\" is a boolean, not a string"},
      {{{"IS_REBRANDED", text}, {"PRODUCT_NAME", integer}},
       {{"failureNotificationMessage", integer}},
       "value for key \"%\" is an integer, not a string"},
      // Both wrong: the first key in order is the one named.
      {{{"PRODUCT_NAME", integer}, {"IS_REBRANDED", [] { return plist_new_real(1); }}},
       {{"failureNotificationMessage", [] { return plist_new_real(1); }}},
       "value for key \"%\" is a real, not a string"},
      {{{"IS_REBRANDED", [] { return plist_new_data("x", 1); }}},
       {{"failureNotificationMessage", [] { return plist_new_data("x", 1); }}},
       "value for key \"%\" is data, not a string"},
  };
  const auto build = [](const Entries& entries) {
    plist_t dictionary = plist_new_dict();
    for (const auto& [key, value] : entries) plist_dict_set_item(dictionary, key.c_str(), value());
    return dictionary;
  };
  const auto named = [](std::string reason, const std::string& key) {
    return reason.replace(reason.find('%'), 1, key);
  };
  for (const auto form : kForms) {
    for (const auto& c : cases) {
      write(rebrandPath(), serialized(build(c.rebrand), form));
      write(customizationPath(), serialized(build(c.customization), form));
      const std::string failingRebrandKey =
          c.rebrand.size() == 2 && c.rebrand[0].first == "IS_REBRANDED" ? "PRODUCT_NAME"
                                                                        : "IS_REBRANDED";
      CapturedLog log;
      EXPECT_EQ(controller.getRebrandDetails(), std::nullopt);
      EXPECT_EQ(controller.getCustomizationData(), std::nullopt);
      EXPECT_THAT(log.messages(),
                  ElementsAre("rebrandData error " + named(c.reason, failingRebrandKey),
                              "OstrevaneCustomization error " +
                                  named(c.reason, "failureNotificationMessage")));
    }
    write(rebrandPath(), serialized(plist_new_array(), form));
    write(customizationPath(), serialized(plist_new_string("x"), form));
    CapturedLog log;
    EXPECT_EQ(controller.getRebrandDetails(), std::nullopt);
    EXPECT_EQ(controller.getCustomizationData(), std::nullopt);
    EXPECT_THAT(log.messages(),
                ElementsAre("rebrandData error the root is an array, not a dictionary",
                            "OstrevaneCustomization error the root is a string, not a dictionary"));
  }
}

TEST_F(AgentFileReadersTest, AFolderOrAnUnreadableFileIsReportedWithItsPath) {
  agent.makeFolder("system/rebrand.plist");
  write(customizationPath(), std::string(2 * 1024 * 1024, ' '));
  CapturedLog log;
  EXPECT_EQ(controller.getRebrandDetails(), std::nullopt);
  EXPECT_EQ(controller.getCustomizationData(), std::nullopt);
  EXPECT_THAT(log.messages(),
              ElementsAre("rebrandData error cannot read " + rebrandPath() + ": not a regular file",
                          "OstrevaneCustomization error cannot read " + customizationPath() +
                              ": larger than 1048576 bytes"));
}

}  // namespace
}  // namespace brevinor
