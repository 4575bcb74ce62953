#include "agent/kel_agent.h"
#include "notification/view_controller.h"
#include "platform/file_system.h"
#include "platform/log_line.h"
#include "platform/property_list_document.h"

namespace brevinor {
namespace {

/// The setting as a boolean: a boolean as is, or a number that is exactly 1 or 0. Anything else
/// (other numbers, the text "true", ...) is not a setting we can trust either way.
std::optional<bool> readableAsBoolean(const PropertyListValue& value) {
  if (const auto flag = value.boolean()) return *flag;
  if (const auto number = value.integer()) {
    if (*number == 1 || *number == 0) return *number == 1;
  }
  if (const auto number = value.real()) {
    if (*number == 1.0 || *number == 0.0) return *number == 1.0;
  }
  return std::nullopt;
}

}  // namespace

bool ViewController::checkIfApplicationRunningPromptEnabled() {
  logMessage("Inside checkIfApplicationRunningPromptEnabled");
  const std::string path = KelAgent::dataPath() + "/ztpatch_data.plist";
  if (!fileExists(path)) {
    logMessage("checkIfApplicationRunningPromptEnabled " + path + " file not available");
    return false;
  }
  const PropertyListReading settings = readPropertyListDictionary(path);
  if (!settings.document) {
    logMessage("checkIfApplicationRunningPromptEnabled : Cannot Convert plist to Dict");
    return false;
  }
  const auto value = settings.document->lookup("ApplicationRunningPrompt");
  const auto enabled = value ? readableAsBoolean(*value) : std::nullopt;
  if (!enabled) {
    logMessage(
        "checkIfApplicationRunningPromptEnabled : Cannot Get ApplicationRunningPrompt value");
    return false;
  }
  if (*enabled) {
    logMessage("checkIfApplicationRunningPromptEnabled : Showing Brevinor");
    return true;
  }
  logMessage("checkIfApplicationRunningPromptEnabled : Tavisend disabled");
  return false;
}

}  // namespace brevinor
