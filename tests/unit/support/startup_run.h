#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "agent/kel_agent.h"
#include "notification/view_controller.h"
#include "tests/unit/support/test_support.h"

namespace brevinor {

/// The program's start-up for "Editor" on an agent install of its own. The log stays on standard
/// error, the launcher check says yes (it is tested apart, against ps), and the object itself
/// plays the window and the application, keeping only the text.
struct StartupRun : ViewController, ImageView, TextField, VisualEffectView, ApplicationServices {
  TemporaryFolder install;
  std::string text;

  StartupRun() {
    KelAgent::setBasePath(install.path);
    KelAgent::setDataPath(install.path + "/data");
    KelAgent::setSystemDataPath(install.path + "/SystemData");
  }
  /// Writes the settings, the rebranding and the customization; none removes the file.
  void writeFiles(const std::array<std::optional<std::string>, 3>& contents) const {
    const char* names[] = {"data/ztpatch_data.plist", "SystemData/rebrand.plist",
                           "data/ApplicationRunningPromptCustomization.plist"};
    for (int i = 0; i < 3; ++i) {
      if (contents[i]) install.write(names[i], *contents[i]);
      if (!contents[i]) std::filesystem::remove(install.path + "/" + names[i]);
    }
  }
  /// Start-up as the program runs it, presenting when both gates say yes.
  void run() {
    if (!viewDidLoad({"brevinor", "Editor", "--help"})) present({*this, *this, *this, *this});
  }

  void changeLogStream() override {}
  bool isApplicationRunningPromptShown(const std::string&) override { return true; }
  void setImage(std::shared_ptr<const Image>) override {}
  void setStringValue(const std::string& t) override { text = t; }
  std::string stringValue() const override { return text; }
  void setStateActive() override {}
  void setAccessoryActivationPolicy() override {}
  std::optional<std::string> resourcePath(std::string_view, std::string_view) const override {
    return install.path;  // an icon file that exists; it is never decoded
  }
  std::shared_ptr<const Image> loadImage(const std::string&) override { return nullptr; }
  void setApplicationIcon(std::shared_ptr<const Image>) override {}
  void playSound(std::string_view) override {}
  void scheduleOneShot(std::chrono::milliseconds, std::function<void()>) override {}
  void terminate() override {}
};

}  // namespace brevinor
