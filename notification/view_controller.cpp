#include "notification/view_controller.h"

#include <chrono>

#include "agent/kel_agent.h"
#include "logging/kel_logger.h"
#include "notification/banner_text.h"
#include "notification/described_text.h"
#include "platform/file_system.h"
#include "platform/log_line.h"

namespace brevinor {
namespace {

constexpr const char* kLogFileName = "Lunmark";
constexpr int kNoNameStatus = 1;
constexpr int kNotWantedStatus = 0;
constexpr std::string_view kIconResourceName = "AppIcon";
constexpr std::string_view kIconResourceType = "icns";
constexpr std::string_view kPathNotAvailable = "Path not available";
constexpr std::string_view kRebrandedFlag = "TRUE";
constexpr std::string_view kRebrandedLogoSuffix = "/images/rebranded-agent-logo.png";
constexpr std::string_view kSoundName = "Purr";
constexpr std::chrono::seconds kNoticeLifetime{15};

std::string joined(std::string_view fixed, std::string_view value) {
  std::string line(fixed);
  line += value;
  return line;
}

}  // namespace

std::optional<int> ViewController::viewDidLoad(const std::vector<std::string>& arguments) {
  changeLogStream();
  logMessage("Log Open:Brevinor");

  if (arguments.size() < 2) {
    logMessage("Arguments are low, No App name is given");
    return kNoNameStatus;
  }
  appNameArg = arguments[1];
  logMessage(joined("Given App Name ", describedOptional(appNameArg)));

  if (!checkIfApplicationRunningPromptEnabled()) {
    logMessage("Not showing Brevinor");
    return kNotWantedStatus;
  }
  if (prepareWindow) prepareWindow();
  if (!isApplicationRunningPromptShown(*appNameArg)) {
    logMessage("Brevinor: The Application is not running while patching, hence lunmark not shown");
    return kNotWantedStatus;
  }
  return std::nullopt;
}

void ViewController::present(LoadedNotice notice) {
  bannerIcon = &notice.bannerIcon;
  bannerText = &notice.bannerText;
  ApplicationServices& application = notice.application;

  application.setAccessoryActivationPolicy();
  setDefaultIcon(application);
  applyRebranding(application);

  if (const auto customization = getCustomizationData()) {
    setCustomizationData(*customization);
  } else {
    bannerText->setStringValue(composeBannerText(appNameArg.value_or(""), std::nullopt));
  }
  logMessage(joined("Printing the ballon text ", bannerText->stringValue()));

  notice.view.setStateActive();
  logMessage("Showing Notification and Playing Sound");
  application.playSound(kSoundName);
  application.scheduleOneShot(kNoticeLifetime, [&application] {
    logMessage("Log close:Brevinor");
    application.terminate();
  });
}

void ViewController::setDefaultIcon(ApplicationServices& application) {
  const std::string iconPath = application.resourcePath(kIconResourceName, kIconResourceType)
                                   .value_or(std::string(kPathNotAvailable));
  if (fileExists(iconPath)) {
    bannerIcon->setImage(application.loadImage(iconPath));
    logMessage(joined("Initially setting default image for appIcon :", iconPath));
  } else {
    // The layout's own image stays.
    logMessage(joined("Default AppIcon not available ", iconPath));
  }
}

void ViewController::applyRebranding(ApplicationServices& application) {
  const auto rebrand = getRebrandDetails();
  if (!rebrand) {
    logMessage("Rebrand Changes not available");
    return;
  }
  if (rebrand->isRebranded != kRebrandedFlag) {
    logMessage("Not Rebranded");
    return;
  }
  const std::string logoPath = KelAgent::basePath() + std::string(kRebrandedLogoSuffix);
  if (!fileExists(logoPath)) return;  // the default icon stays, silently
  bannerIcon->setImage(application.loadImage(logoPath));
  application.setApplicationIcon(application.loadImage(logoPath));
  logMessage(joined("Using Rebranded AppIcon ", logoPath));
}

void ViewController::setCustomizationData(
    const ApplicationRunningPromptCustomization& customization) {
  logMessage(joined("Printing customizationData ", describedCustomization(customization)));
  if (!bannerText) return;  // nothing to show it in
  bannerText->setStringValue(
      composeBannerText(appNameArg.value_or(""), customization.failureNotificationMessage));
}

void ViewController::changeLogStream() {
  KelLogger::changeLogStream(kLogFileName, true);
}

bool ViewController::isApplicationRunningPromptShown(const std::string& appName) {
  return KelAgent::isApplicationRunningPromptShown(appName);
}

std::string describedCustomization(
    const ViewController::ApplicationRunningPromptCustomization& customization) {
  return "ApplicationRunningPromptCustomization(failureNotificationMessage: " +
         describedOptional(customization.failureNotificationMessage) + ")";
}

}  // namespace brevinor
