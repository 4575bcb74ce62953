#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "notification/banner_views.h"
#include "notification/notice_presenter.h"

namespace brevinor {

/// The notice's content controller: every decision of a run. Start-up comes in two halves so
/// that a run turned away never loads the window system: `viewDidLoad` takes the arguments and
/// asks the gates; `present` fills the window once it has been loaded.
///
/// The gates, the readers and the log opening are virtual so that tests can stand in for them.
class ViewController : public NoticePresenter {
 public:
  /// The installation's rebranding, as the agent leaves it in the system data folder.
  struct Rebrand {
    std::optional<std::string> isRebranded;  ///< exactly "TRUE" marks a rebranded installation
    std::optional<std::string> productName;  ///< read but not shown
  };

  /// The administrator's replacement for the text after the application name.
  struct ApplicationRunningPromptCustomization {
    std::optional<std::string> failureNotificationMessage;
  };

  ImageView* bannerIcon = nullptr;  ///< connected by the window layout; not owned
  TextField* bannerText = nullptr;  ///< connected by the window layout; not owned
  std::optional<std::string> appNameArg;
  /// Called once the enablement gate has said yes, before the launching-process check, so that
  /// the window's loading can overlap that check. Optional.
  std::function<void()> prepareWindow;

  ViewController() = default;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;
  virtual ~ViewController() = default;

  /// Opens the log, takes the application name from `arguments` (element 0 is the program) and
  /// asks both gates. Returns the exit status when the run ends here (1: no name; 0: a gate said
  /// no), or none when the notice is to be shown.
  std::optional<int> viewDidLoad(const std::vector<std::string>& arguments);

  /// Connects the loaded window, chooses the icon, sets the text, makes the background active,
  /// plays the sound and arms the 15-second timer that ends the application.
  void present(LoadedNotice notice) override;

  /// The rebranding record, or none when there is no usable one.
  virtual std::optional<Rebrand> getRebrandDetails();
  /// The customization record, or none when there is no usable one.
  virtual std::optional<ApplicationRunningPromptCustomization> getCustomizationData();
  /// Logs the record and sets the banner text from the name and the record's message.
  void setCustomizationData(const ApplicationRunningPromptCustomization& customization);
  /// Gate 1: whether the agent's settings enable the notice.
  virtual bool checkIfApplicationRunningPromptEnabled();

 protected:
  /// Sends standard error and standard output into the per-user log.
  virtual void changeLogStream();
  /// Gate 2: whether the process that started us is the one recorded for the application.
  virtual bool isApplicationRunningPromptShown(const std::string& appName);

 private:
  void setDefaultIcon(ApplicationServices& application);
  void applyRebranding(ApplicationServices& application);
};

/// The debugging text of a customization record, as the log shows it.
std::string describedCustomization(
    const ViewController::ApplicationRunningPromptCustomization& customization);

}  // namespace brevinor
