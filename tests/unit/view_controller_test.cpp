#include "notification/view_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "agent/kel_agent.h"
#include "tests/unit/support/captured_log.h"

namespace brevinor {
namespace {

using testing::CapturedLog;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::TemporaryFolder;

const std::string kDefaultSentence =
    " update failed. You can now use the application. Patching will be attempted again shortly.";

struct FakeImage : Image {
  explicit FakeImage(std::string from) : path(std::move(from)) {}
  std::string path;
};

/// What an image view shows: nothing set yet, set to no image, or the file it was decoded from.
std::string shown(const std::optional<std::shared_ptr<const Image>>& image) {
  if (!image) return "(layout's own)";
  if (!*image) return "(none)";
  return static_cast<const FakeImage&>(**image).path;
}

struct FakeBanner : ImageView, TextField, VisualEffectView {
  std::optional<std::shared_ptr<const Image>> image;
  std::string text;
  bool active = false;
  void setImage(std::shared_ptr<const Image> i) override { image = std::move(i); }
  void setStringValue(const std::string& t) override { text = t; }
  std::string stringValue() const override { return text; }
  void setStateActive() override { active = true; }
};

struct FakeApplication : ApplicationServices {
  std::optional<std::string> iconResource;
  std::set<std::string> undecodable;
  bool accessory = false;
  std::optional<std::shared_ptr<const Image>> applicationIcon;
  std::vector<std::string> sounds;
  std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> timers;
  int terminations = 0;

  void setAccessoryActivationPolicy() override { accessory = true; }
  std::optional<std::string> resourcePath(std::string_view name,
                                          std::string_view type) const override {
    return name == "AppIcon" && type == "icns" ? iconResource : std::nullopt;
  }
  std::shared_ptr<const Image> loadImage(const std::string& path) override {
    if (undecodable.count(path)) return nullptr;
    return std::make_shared<FakeImage>(path);
  }
  void setApplicationIcon(std::shared_ptr<const Image> image) override {
    applicationIcon = std::move(image);
  }
  void playSound(std::string_view name) override { sounds.emplace_back(name); }
  void scheduleOneShot(std::chrono::milliseconds delay, std::function<void()> action) override {
    timers.emplace_back(delay, std::move(action));
  }
  void terminate() override { ++terminations; }
};

/// The controller with its gates, readers and log opening scripted by the test.
class ScriptedController : public ViewController {
 public:
  bool enabled = true;
  bool launchedByRecordedProcess = true;
  std::optional<Rebrand> rebrand;
  std::optional<ApplicationRunningPromptCustomization> customization;
  int logOpenings = 0;
  std::vector<std::string> gatesAsked;

  bool checkIfApplicationRunningPromptEnabled() override {
    gatesAsked.push_back("enabled");
    return enabled;
  }
  std::optional<Rebrand> getRebrandDetails() override { return rebrand; }
  std::optional<ApplicationRunningPromptCustomization> getCustomizationData() override {
    return customization;
  }

 protected:
  void changeLogStream() override { ++logOpenings; }
  bool isApplicationRunningPromptShown(const std::string& appName) override {
    gatesAsked.push_back("launched:" + appName);
    return launchedByRecordedProcess;
  }
};

class ViewControllerTest : public ::testing::Test {
 protected:
  ViewControllerTest() {
    KelAgent::setBasePath(install.path());
    application.iconResource = install.writeFile("share/brevinor/AppIcon.icns", "icns");
  }

  /// Runs start-up on a fresh controller, set up by `configure`, and a fresh banner.
  std::optional<int> start(const std::vector<std::string>& arguments,
                           const std::function<void(ScriptedController&)>& configure = {}) {
    controller = std::make_unique<ScriptedController>();
    banner = FakeBanner{};
    if (configure) configure(*controller);
    auto status = controller->viewDidLoad(arguments);
    if (!status) controller->present({banner, banner, banner, application});
    return status;
  }

  std::string logoPath() const { return install.path() + "/images/rebranded-agent-logo.png"; }

  TemporaryFolder install;
  std::unique_ptr<ScriptedController> controller;
  FakeBanner banner;
  FakeApplication application;
};

TEST_F(ViewControllerTest, NormalPathForEditorLogsTheLinesInOrderAndEndsAfterFifteenSeconds) {
  CapturedLog log;
  EXPECT_EQ(start({"/usr/bin/brevinor", "Editor"}), std::nullopt);

  EXPECT_EQ(controller->logOpenings, 1);
  EXPECT_THAT(controller->gatesAsked, ElementsAre("enabled", "launched:Editor"));
  EXPECT_TRUE(application.accessory);
  EXPECT_EQ(shown(banner.image), *application.iconResource);
  EXPECT_FALSE(application.applicationIcon.has_value());
  EXPECT_EQ(banner.text, "Editor" + kDefaultSentence);
  EXPECT_TRUE(banner.active);
  EXPECT_THAT(application.sounds, ElementsAre("Purr"));
  ASSERT_EQ(application.timers.size(), 1u);
  EXPECT_EQ(application.timers[0].first, std::chrono::seconds(15));
  EXPECT_EQ(application.terminations, 0);

  application.timers[0].second();
  EXPECT_EQ(application.terminations, 1);
  EXPECT_THAT(
      log.messages(),
      ElementsAre("Log Open:Brevinor", R"(Given App Name Optional("Editor"))",
                  "Initially setting default image for appIcon :" + *application.iconResource,
                  "Rebrand Changes not available",
                  "Printing the ballon text Editor" + kDefaultSentence,
                  "Showing Notification and Playing Sound", "Log close:Brevinor"));
}

TEST_F(ViewControllerTest, WithoutANameEndsWithStatusOneBeforeAnyGate) {
  CapturedLog log;
  EXPECT_EQ(start({"/usr/bin/brevinor"}), 1);
  EXPECT_TRUE(controller->gatesAsked.empty());
  EXPECT_FALSE(controller->appNameArg.has_value());
  EXPECT_THAT(log.messages(),
              ElementsAre("Log Open:Brevinor", "Arguments are low, No App name is given"));
}

TEST_F(ViewControllerTest, ANoFromEitherGateEndsWithStatusZeroAndNoWindow) {
  const struct {
    bool enabled;
    bool launched;
    std::vector<std::string> asked;
    std::string lastLine;
  } cases[] = {
      {false, true, {"enabled"}, "Not showing Brevinor"},
      {true,
       false,
       {"enabled", "launched:Editor"},
       "Brevinor: The Application is not running while patching, hence lunmark not shown"},
  };
  for (const auto& c : cases) {
    CapturedLog log;
    EXPECT_EQ(start({"brevinor", "Editor"},
                    [&](ScriptedController& gated) {
                      gated.enabled = c.enabled;
                      gated.launchedByRecordedProcess = c.launched;
                    }),
              0);
    EXPECT_EQ(controller->gatesAsked, c.asked);
    EXPECT_THAT(log.messages(), ElementsAre("Log Open:Brevinor",
                                            R"(Given App Name Optional("Editor"))", c.lastLine));
  }
}

TEST_F(ViewControllerTest, AnyNameIsTakenAsGivenAndShownUnchanged) {
  using namespace std::string_literals;
  const struct {
    std::vector<std::string> arguments;
    std::string givenLine;
  } cases[] = {
      {{"brevinor", ""}, R"(Given App Name Optional(""))"},
      {{"brevinor", R"(My "Editor")"}, R"(Given App Name Optional("My \"Editor\""))"},
      {{"brevinor", R"(C:\Editor)"}, R"(Given App Name Optional("C:\\Editor"))"},
      {{"brevinor", "Tab\tNew\nLine"}, R"(Given App Name Optional("Tab\tNew\nLine"))"},
      {{"brevinor", "Nul\0Name"s}, R"(Given App Name Optional("Nul\0Name"))"},
      {{"brevinor", "100% %s%n"}, R"(Given App Name Optional("100% %s%n"))"},
      {{"brevinor", "First", "Second", "--help"}, R"(Given App Name Optional("First"))"},
  };
  for (const auto& c : cases) {
    CapturedLog log;
    ASSERT_EQ(start(c.arguments), std::nullopt);
    const std::string& name = c.arguments[1];
    EXPECT_EQ(controller->appNameArg, name);
    EXPECT_THAT(controller->gatesAsked, ElementsAre("enabled", "launched:" + name));
    EXPECT_EQ(banner.text, name + kDefaultSentence);
    const auto messages = log.messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[1], c.givenLine);
  }
}

TEST_F(ViewControllerTest, DefaultIconFallsBackToTheLayoutsImageWhenTheResourceIsMissing) {
  const struct {
    std::optional<std::string> resource;
    std::string line;
  } cases[] = {
      {std::nullopt, "Default AppIcon not available Path not available"},
      {"/nowhere/AppIcon.icns", "Default AppIcon not available /nowhere/AppIcon.icns"},
  };
  for (const auto& c : cases) {
    application.iconResource = c.resource;
    CapturedLog log;
    ASSERT_EQ(start({"brevinor", "Editor"}), std::nullopt);
    EXPECT_EQ(shown(banner.image), "(layout's own)");
    EXPECT_EQ(log.messages().at(2), c.line);
  }
}

struct RebrandCase {
  const char* description;  // also the test's name
  std::optional<ViewController::Rebrand> rebrand;
  bool logoExists;
  bool logoDecodes;
  std::string bannerImage;          // "icon", "logo" or "(none)"
  std::string applicationIcon;      // "unchanged", "logo" or "(none)"
  std::optional<std::string> line;  // the rebranding line, if any ("logo" stands for its path)
};

void PrintTo(const RebrandCase& c, std::ostream* os) {
  *os << c.description;
}

class RebrandingTest : public ViewControllerTest,
                       public ::testing::WithParamInterface<RebrandCase> {};

TEST_P(RebrandingTest, ChoosesTheIconAndTheLine) {
  const RebrandCase& c = GetParam();
  if (c.logoExists) install.writeFile("images/rebranded-agent-logo.png", "png");
  if (!c.logoDecodes) application.undecodable.insert(logoPath());

  CapturedLog log;
  ASSERT_EQ(start({"brevinor", "Editor"}, [&](auto& fresh) { fresh.rebrand = c.rebrand; }),
            std::nullopt);

  const auto named = [&](const std::string& what) {
    return what == "icon" ? *application.iconResource : what == "logo" ? logoPath() : what;
  };
  EXPECT_EQ(shown(banner.image), named(c.bannerImage)) << c.description;
  EXPECT_EQ(application.applicationIcon ? shown(application.applicationIcon) : "unchanged",
            named(c.applicationIcon))
      << c.description;
  const auto messages = log.messages();
  std::vector<std::string> expected{
      "Log Open:Brevinor", R"(Given App Name Optional("Editor"))",
      "Initially setting default image for appIcon :" + *application.iconResource};
  if (c.line)
    expected.push_back(*c.line == "logo" ? "Using Rebranded AppIcon " + logoPath() : *c.line);
  expected.push_back("Printing the ballon text Editor" + kDefaultSentence);
  EXPECT_THAT(std::vector(messages.begin(), messages.begin() + expected.size()),
              ElementsAreArray(expected))
      << c.description;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RebrandingTest,
    ::testing::Values(RebrandCase{"NoRecord", std::nullopt, true, true, "icon", "unchanged",
                                  "Rebrand Changes not available"},
                      RebrandCase{"FlagAbsent", ViewController::Rebrand{}, true, true, "icon",
                                  "unchanged", "Not Rebranded"},
                      RebrandCase{"LowerCaseTrue", ViewController::Rebrand{"true", "Acme"}, true,
                                  true, "icon", "unchanged", "Not Rebranded"},
                      RebrandCase{"TrueWithTrailingBlank",
                                  ViewController::Rebrand{"TRUE ", std::nullopt}, true, true,
                                  "icon", "unchanged", "Not Rebranded"},
                      RebrandCase{"Rebranded", ViewController::Rebrand{"TRUE", std::nullopt}, true,
                                  true, "logo", "logo", "logo"},
                      RebrandCase{"RebrandedLogoMissing", ViewController::Rebrand{"TRUE", "Acme"},
                                  false, true, "icon", "unchanged", std::nullopt},
                      RebrandCase{"RebrandedLogoUndecodable",
                                  ViewController::Rebrand{"TRUE", "Acme"}, true, false, "(none)",
                                  "(none)", "logo"}),
    [](const auto& info) { return std::string(info.param.description); });

TEST_F(ViewControllerTest, AnUndecodableDefaultIconLeavesTheBannerEmpty) {
  application.undecodable.insert(*application.iconResource);
  CapturedLog log;
  ASSERT_EQ(start({"brevinor", "Editor"}), std::nullopt);
  EXPECT_EQ(shown(banner.image), "(none)");
  EXPECT_EQ(log.messages().at(2),
            "Initially setting default image for appIcon :" + *application.iconResource);
}

TEST_F(ViewControllerTest, ACustomizationReplacesEverythingAfterTheName) {
  using Customization = ViewController::ApplicationRunningPromptCustomization;
  const struct {
    std::optional<Customization> customization;
    std::string text;
    std::optional<std::string> printedLine;
  } cases[] = {
      {std::nullopt, "Editor" + kDefaultSentence, std::nullopt},
      {Customization{}, "Editor" + kDefaultSentence,
       "Printing customizationData ApplicationRunningPromptCustomization("
       "failureNotificationMessage: nil)"},
      {Customization{""}, "Editor ",
       R"(Printing customizationData ApplicationRunningPromptCustomization(failureNotificationMessage: Optional("")))"},
      {Customization{" Try later."}, "Editor  Try later.",
       R"(Printing customizationData ApplicationRunningPromptCustomization(failureNotificationMessage: Optional(" Try later.")))"},
      {Customization{"100% done\n<b>&amp;</b> \"ok\""}, "Editor 100% done\n<b>&amp;</b> \"ok\"",
       R"(Printing customizationData ApplicationRunningPromptCustomization(failureNotificationMessage: Optional("100% done\n<b>&amp;</b> \"ok\"")))"},
  };
  for (const auto& c : cases) {
    CapturedLog log;
    ASSERT_EQ(
        start({"brevinor", "Editor"}, [&](auto& fresh) { fresh.customization = c.customization; }),
        std::nullopt);
    EXPECT_EQ(banner.text, c.text);
    const auto messages = log.messages();
    const bool printed =
        std::find(messages.begin(), messages.end(), c.printedLine.value_or("")) != messages.end();
    EXPECT_EQ(printed, c.printedLine.has_value()) << c.text;
    // The text is logged verbatim, line breaks included.
    EXPECT_THAT(log.raw(), ::testing::HasSubstr("] Printing the ballon text " + c.text + "\n"));
  }
}

}  // namespace
}  // namespace brevinor
