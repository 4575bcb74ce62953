#include "notification/banner_text.h"

namespace brevinor {

std::string composeBannerText(std::string_view appName, const std::optional<std::string>& body) {
  std::string text(appName);
  text += ' ';
  if (body) {
    text += *body;
  } else {
    text += kDefaultFailureBody;
  }
  return text;
}

}  // namespace brevinor
