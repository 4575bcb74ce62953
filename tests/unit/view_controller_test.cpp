#include "notification/view_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "agent/kel_agent.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

using testing::CapturedLog;
using ::testing::ElementsAre;
using testing::TemporaryFolder;
using Customization = ViewController::ApplicationRunningPromptCustomization;

const std::string kDefaultSentence =
    " update failed. You can now use the application. Patching will be attempted again shortly.";

struct FakeImage : Image {
  explicit FakeImage(std::string from) : path(std::move(from)) {}
  std::string path;
};

/// What a view shows: untouched, set to no image, or the file the image was decoded from.
std::string shown(const std::optional<std::shared_ptr<const Image>>& image) {
  if (!image) return "untouched";
  return *image ? static_cast<const FakeImage&>(**image).path : "none";
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
  std::optional<std::shared_ptr<const Image>> icon;
  std::vector<std::string> sounds;
  std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> timers;
  int terminations = 0;

  void setAccessoryActivationPolicy() override { accessory = true; }
  std::optional<std::string> resourcePath(std::string_view name,
                                          std::string_view type) const override {
    return name == "AppIcon" && type == "icns" ? iconResource : std::nullopt;
  }
  std::shared_ptr<const Image> loadImage(const std::string& path) override {
    return undecodable.count(path) ? nullptr : std::make_shared<FakeImage>(path);
  }
  void setApplicationIcon(std::shared_ptr<const Image> image) override { icon = image; }
  void playSound(std::string_view name) override { sounds.emplace_back(name); }
  void scheduleOneShot(std::chrono::milliseconds delay, std::function<void()> action) override {
    timers.emplace_back(delay, std::move(action));
  }
  void terminate() override { ++terminations; }
};

/// The controller with its gates, readers and log opening scripted by the test.
struct ScriptedController : ViewController {
  bool enabled = true;
  bool launchedByRecordedProcess = true;
  std::optional<Rebrand> rebrand;
  std::optional<Customization> customization;
  int logOpenings = 0;
  std::vector<std::string> gatesAsked;  // and when the window was prepared

  ScriptedController() {
    prepareWindow = [this] { gatesAsked.push_back("prepare"); };
  }

  bool checkIfApplicationRunningPromptEnabled() override {
    gatesAsked.push_back("enabled");
    return enabled;
  }
  std::optional<Rebrand> getRebrandDetails() override { return rebrand; }
  std::optional<Customization> getCustomizationData() override { return customization; }
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

  /// Runs start-up on a fresh controller, set up by `configure`, and a fresh banner; the log
  /// it wrote is in `messages`.
  std::optional<int> start(const std::vector<std::string>& arguments,
                           const std::function<void(ScriptedController&)>& configure = {}) {
    controller = std::make_unique<ScriptedController>();
    banner = FakeBanner{};
    if (configure) configure(*controller);
    CapturedLog log;
    auto status = controller->viewDidLoad(arguments);
    if (!status) controller->present({banner, banner, banner, application});
    messages = log.messages();
    return status;
  }

  std::string logoPath() const { return install.path() + "/images/rebranded-agent-logo.png"; }

  TemporaryFolder install;
  std::unique_ptr<ScriptedController> controller;
  FakeBanner banner;
  FakeApplication application;
  std::vector<std::string> messages;
};

TEST_F(ViewControllerTest, NormalPathForEditorLogsTheLinesInOrderAndEndsAfterFifteenSeconds) {
  EXPECT_EQ(start({"/usr/bin/brevinor", "Editor"}), std::nullopt);
  EXPECT_EQ(controller->logOpenings, 1);
  EXPECT_THAT(controller->gatesAsked, ElementsAre("enabled", "prepare", "launched:Editor"));
  EXPECT_TRUE(application.accessory);
  EXPECT_EQ(shown(banner.image), *application.iconResource);
  EXPECT_EQ(shown(application.icon), "untouched");
  EXPECT_TRUE(banner.active);
  EXPECT_THAT(application.sounds, ElementsAre("Purr"));
  ASSERT_EQ(application.timers.size(), 1u);
  EXPECT_EQ(application.timers[0].first, std::chrono::seconds(15));
  EXPECT_EQ(application.terminations, 0);

  CapturedLog log;
  application.timers[0].second();
  EXPECT_EQ(application.terminations, 1);
  EXPECT_THAT(log.messages(), ElementsAre("Log close:Brevinor"));
  EXPECT_THAT(messages, ElementsAre("Log Open:Brevinor", R"(Given App Name Optional("Editor"))",
                                    "Initially setting default image for appIcon :" +
                                        *application.iconResource,
                                    "Rebrand Changes not available",
                                    "Printing the ballon text Editor" + kDefaultSentence,
                                    "Showing Notification and Playing Sound"));
}

TEST_F(ViewControllerTest, EndsEarlyWithoutANameOrWhenAGateSaysNo) {
  const std::string given = R"(Given App Name Optional("Editor"))";
  const struct {
    std::vector<std::string> arguments;
    bool enabled, launched;
    int status;
    std::vector<std::string> asked, lines;
  } cases[] = {
      {{"brevinor"}, true, true, 1, {}, {"Arguments are low, No App name is given"}},
      {{"brevinor", "Editor"}, false, true, 0, {"enabled"}, {given, "Not showing Brevinor"}},
      {{"brevinor", "Editor"},
       true,
       false,
       0,
       {"enabled", "prepare", "launched:Editor"},
       {given, "Brevinor: The Application is not running while patching, hence lunmark not shown"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(start(c.arguments,
                    [&](ScriptedController& gated) {
                      gated.enabled = c.enabled;
                      gated.launchedByRecordedProcess = c.launched;
                    }),
              c.status);
    EXPECT_EQ(controller->gatesAsked, c.asked);
    std::vector<std::string> expected{"Log Open:Brevinor"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(banner.text, "");  // nothing was presented
  }
}

TEST_F(ViewControllerTest, AnyNameIsTakenAsGivenLoggedEscapedAndShownUnchanged) {
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
    ASSERT_EQ(start(c.arguments), std::nullopt);
    const std::string& name = c.arguments[1];
    EXPECT_THAT(controller->gatesAsked, ElementsAre("enabled", "prepare", "launched:" + name));
    EXPECT_EQ(banner.text, name + kDefaultSentence);
    EXPECT_EQ(messages.at(1), c.givenLine);
  }
}

TEST_F(ViewControllerTest, ChoosesTheIconFromResourceRebrandingAndLogo) {
  using Rebrand = ViewController::Rebrand;
  const std::string icon = *application.iconResource;
  // clang-format off
  const struct {
    std::optional<std::string> resource;
    std::optional<Rebrand> rebrand;
    bool logoExists, iconDecodes, logoDecodes;
    std::string bannerImage, applicationIcon;
    std::vector<std::string> lines;  // between the name line and the text line; "LOGO" = its path
  } cases[] = {
    {icon, std::nullopt, true, true, true, icon, "untouched", {"INIT", "Rebrand Changes not available"}},
    {icon, Rebrand{}, true, true, true, icon, "untouched", {"INIT", "Not Rebranded"}},
    {icon, Rebrand{"true", "Acme"}, true, true, true, icon, "untouched", {"INIT", "Not Rebranded"}},
    {icon, Rebrand{"TRUE ", {}}, true, true, true, icon, "untouched", {"INIT", "Not Rebranded"}},
    {icon, Rebrand{"TRUE", {}}, true, true, true, "LOGO", "LOGO", {"INIT", "Using Rebranded AppIcon LOGO"}},
    {icon, Rebrand{"TRUE", "Acme"}, false, true, true, icon, "untouched", {"INIT"}},
    {icon, Rebrand{"TRUE", "Acme"}, true, true, false, "none", "none", {"INIT", "Using Rebranded AppIcon LOGO"}},
    {icon, std::nullopt, true, false, true, "none", "untouched", {"INIT", "Rebrand Changes not available"}},
    {std::nullopt, std::nullopt, true, true, true, "untouched", "untouched",
     {"Default AppIcon not available Path not available", "Rebrand Changes not available"}},
    {"/nowhere/AppIcon.icns", std::nullopt, true, true, true, "untouched", "untouched",
     {"Default AppIcon not available /nowhere/AppIcon.icns", "Rebrand Changes not available"}},
  };
  // clang-format on
  const auto named = [&](std::string what) {
    if (what == "INIT") return "Initially setting default image for appIcon :" + icon;
    const auto logo = what.find("LOGO");
    return logo == std::string::npos ? what : what.replace(logo, 4, logoPath());
  };
  for (const auto& c : cases) {
    std::filesystem::remove(logoPath());
    if (c.logoExists) install.writeFile("images/rebranded-agent-logo.png", "png");
    application.iconResource = c.resource;
    application.undecodable.clear();
    if (!c.iconDecodes) application.undecodable.insert(icon);
    if (!c.logoDecodes) application.undecodable.insert(logoPath());
    application.icon.reset();

    ASSERT_EQ(start({"brevinor", "Editor"}, [&](auto& fresh) { fresh.rebrand = c.rebrand; }),
              std::nullopt);
    EXPECT_EQ(shown(banner.image), named(c.bannerImage));
    EXPECT_EQ(shown(application.icon), named(c.applicationIcon));
    std::vector<std::string> expected;
    for (const auto& line : c.lines) expected.push_back(named(line));
    EXPECT_EQ(std::vector(messages.begin() + 2, messages.begin() + 2 + expected.size()), expected);
    EXPECT_EQ(messages.at(2 + expected.size()),
              "Printing the ballon text Editor" + kDefaultSentence);
  }
}

TEST_F(ViewControllerTest, ACustomizationReplacesEverythingAfterTheName) {
  const std::string printed = "Printing customizationData ApplicationRunningPromptCustomization(";
  const struct {
    std::optional<Customization> customization;
    std::string text;
    std::optional<std::string> printedLine;
  } cases[] = {
      {std::nullopt, "Editor" + kDefaultSentence, std::nullopt},
      {Customization{}, "Editor" + kDefaultSentence, printed + "failureNotificationMessage: nil)"},
      {Customization{""}, "Editor ", printed + R"(failureNotificationMessage: Optional("")))"},
      {Customization{" Try later."}, "Editor  Try later.",
       printed + R"(failureNotificationMessage: Optional(" Try later.")))"},
      {Customization{"100% done\n<b>&amp;</b> \"ok\""}, "Editor 100% done\n<b>&amp;</b> \"ok\"",
       printed + R"(failureNotificationMessage: Optional("100% done\n<b>&amp;</b> \"ok\"")))"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(
        start({"brevinor", "Editor"}, [&](auto& fresh) { fresh.customization = c.customization; }),
        std::nullopt);
    EXPECT_EQ(banner.text, c.text);
    const bool hasPrinted =
        std::find(messages.begin(), messages.end(), c.printedLine.value_or("")) != messages.end();
    EXPECT_EQ(hasPrinted, c.printedLine.has_value()) << c.text;
    // The text is logged as shown, a line break written as \n.
    std::string logged = c.text;
    if (const auto at = logged.find('\n'); at != std::string::npos) logged.replace(at, 1, "\\n");
    EXPECT_THAT(messages, ::testing::Contains("Printing the ballon text " + logged));
  }
}

}  // namespace
}  // namespace brevinor
