#include <array>

#include "agent/kel_agent.h"
#include "notification/view_controller.h"
#include "platform/file_system.h"
#include "platform/log_line.h"
#include "platform/property_list_string_record.h"

namespace brevinor {

std::optional<ViewController::Rebrand> ViewController::getRebrandDetails() {
  const std::string path = KelAgent::systemDataPath() + "/rebrand.plist";
  if (!fileExists(path)) return std::nullopt;  // not rebranded: nothing to say
  constexpr std::array<std::string_view, 2> keys{"IS_REBRANDED", "PRODUCT_NAME"};
  auto record = readStringRecord(path, keys);
  if (!record.values) {
    logMessage("rebrandData error " + record.failure);
    return std::nullopt;
  }
  auto& values = *record.values;
  return Rebrand{std::move(values[0]), std::move(values[1])};
}

}  // namespace brevinor
