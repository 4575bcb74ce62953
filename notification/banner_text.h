#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevinor {

/// What follows the application name and one blank when no administrator's text replaces it.
inline constexpr std::string_view kDefaultFailureBody =
    "update failed. You can now use the application. Patching will be attempted again shortly.";

/// The notice's text: the name, one blank, then the body (the default body when absent). A
/// present body is used as it is, even when empty; nothing is trimmed or escaped.
std::string composeBannerText(std::string_view appName, const std::optional<std::string>& body);

}  // namespace brevinor
