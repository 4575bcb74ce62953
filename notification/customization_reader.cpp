#include <array>

#include "agent/kel_agent.h"
#include "notification/view_controller.h"
#include "platform/file_system.h"
#include "platform/log_line.h"
#include "platform/property_list_string_record.h"

namespace brevinor {

std::optional<ViewController::ApplicationRunningPromptCustomization>
ViewController::getCustomizationData() {
  const std::string path = KelAgent::dataPath() + "/ApplicationRunningPromptCustomization.plist";
  if (!fileExists(path)) return std::nullopt;  // no customization: nothing to say
  constexpr std::array<std::string_view, 1> keys{"failureNotificationMessage"};
  auto record = readStringRecord(path, keys);
  if (!record.values) {
    logMessage("OstrevaneCustomization error " + record.failure);
    return std::nullopt;
  }
  return ApplicationRunningPromptCustomization{std::move((*record.values)[0])};
}

}  // namespace brevinor
