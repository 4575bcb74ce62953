// The decision part of start-up on fuzzed agent files: the settings, the launcher record, the
// rebranding and the customization come from the input, in that order, separated by
// kPartSeparator; files for missing parts are absent. The controller then runs as the program
// runs it for "Editor", and presents into fakes when both gates say yes.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agent/kel_agent.h"
#include "fuzz/fuzz_files.h"
#include "notification/view_controller.h"
#include "platform/log_line.h"
#include "platform/property_list_document.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

constexpr std::string_view kPartSeparator = "\n%%\n";
// What "/bin/ps -o ppid=" would print for us; running it costs more than the rest of a run.
constexpr std::string_view kLauncherText = "   4242\n";

struct FakeImage : Image {};

struct FakeBanner : ImageView, TextField, VisualEffectView {
  std::string text;
  int images = 0;
  bool active = false;
  void setImage(std::shared_ptr<const Image>) override { ++images; }
  void setStringValue(const std::string& t) override { text = t; }
  std::string stringValue() const override { return text; }
  void setStateActive() override { active = true; }
};

struct FakeApplication : ApplicationServices {
  std::string iconPath;
  int sounds = 0;
  std::vector<std::chrono::milliseconds> timers;
  void setAccessoryActivationPolicy() override {}
  std::optional<std::string> resourcePath(std::string_view, std::string_view) const override {
    return iconPath;
  }
  std::shared_ptr<const Image> loadImage(const std::string&) override {
    return std::make_shared<FakeImage>();
  }
  void setApplicationIcon(std::shared_ptr<const Image>) override {}
  void playSound(std::string_view) override { ++sounds; }
  void scheduleOneShot(std::chrono::milliseconds delay, std::function<void()>) override {
    timers.push_back(delay);
  }
  void terminate() override {}
};

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

/// The real controller, but its log stays on (silenced) standard error and the launcher check
/// reads the record as the agent's check does, against a fixed text instead of ps.
struct FuzzedController : ViewController {
  void changeLogStream() override {}
  bool isApplicationRunningPromptShown(const std::string& appName) override {
    const std::string path = KelAgent::dataPath() + "/ApplicationRunningPromptData.plist";
    const PropertyListReading record = readPropertyListDictionary(path);
    if (!record.document) return false;
    const auto launchers = record.document->lookup("Lunmark");
    if (!launchers || launchers->kind() != PropertyListKind::dictionary) return false;
    const auto entry = launchers->lookup(appName);
    const auto recorded = entry ? entry->string() : std::nullopt;
    return recorded && equalIgnoringAsciiCase(*recorded, kLauncherText);
  }
};

struct Install {
  testing::TemporaryFolder folder;
  std::string iconPath;
  std::vector<std::string> partPaths;

  Install() {
    const std::string& base = folder.path();
    // Every install lookup stays below our folder, never the machine's own.
    setenv("BREVINOR_ROOT", base.c_str(), 1);
    for (const char* sub : {"/data", "/SystemData", "/images", "/share", "/logs/UserLogs"}) {
      std::filesystem::create_directories(base + sub);
    }
    KelAgent::setBasePath(base);
    KelAgent::setDataPath(base + "/data");
    KelAgent::setSystemDataPath(base + "/SystemData");
    KelAgent::setUserLogsPath(base + "/logs/UserLogs");
    iconPath = base + "/share/AppIcon.icns";
    fuzzing::writeWholeFile(iconPath, "icns");
    fuzzing::writeWholeFile(base + "/images/rebranded-agent-logo.png", "png");
    partPaths = {base + "/data/ztpatch_data.plist",
                 base + "/data/ApplicationRunningPromptData.plist",
                 base + "/SystemData/rebrand.plist",
                 base + "/data/ApplicationRunningPromptCustomization.plist"};
  }

  void write(std::string_view input) const {
    std::optional<std::string_view> rest = input;
    for (const std::string& path : partPaths) {
      if (!rest) {
        std::filesystem::remove(path);
        continue;
      }
      const std::size_t end = rest->find(kPartSeparator);
      fuzzing::writeWholeFile(path, rest->substr(0, end));
      rest = end == std::string_view::npos
                 ? std::nullopt
                 : std::optional(rest->substr(end + kPartSeparator.size()));
    }
  }
};

}  // namespace
}  // namespace brevinor

// The program's log would drown libFuzzer's: libFuzzer's own -close_fd_mask=2 moves its output
// (and the sanitizers' reports) to a copy of standard error and sends fd 2 to /dev/null. Put
// first, so a flag given on the command line still wins.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> arguments(*argv, *argv + *argc);
  static char silence[] = "-close_fd_mask=2";
  arguments.insert(arguments.begin() + 1, silence);
  arguments.push_back(nullptr);
  *argc = static_cast<int>(arguments.size() - 1);
  *argv = arguments.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brevinor;
  static const Install install;
  install.write(fuzzing::bytesOf(data, size));

  FuzzedController controller;
  const std::optional<int> status = controller.viewDidLoad({"brevinor", "Editor"});
  FUZZ_CHECK(!status || *status == 0);
  if (status) return 0;

  FakeBanner banner;
  FakeApplication application;
  application.iconPath = install.iconPath;
  controller.present({banner, banner, banner, application});
  FUZZ_CHECK(banner.text.starts_with("Editor"));
  FUZZ_CHECK(banner.images >= 1 && banner.active && application.sounds == 1);
  FUZZ_CHECK(application.timers.size() == 1 && application.timers[0] == std::chrono::seconds(15));
  return 0;
}
