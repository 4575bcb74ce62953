#include <unistd.h>

#include <algorithm>
#include <string_view>

#include "agent/kel_agent.h"
#include "platform/file_system.h"
#include "platform/log_line.h"
#include "platform/property_list_document.h"

namespace brevinor {
namespace {

constexpr std::string_view kRecordFileSuffix = "/ApplicationRunningPromptData.plist";
constexpr std::string_view kRecordKey = "Lunmark";

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

bool KelAgent::isApplicationRunningPromptShown(const std::string& appName) {
  const std::string pidText = std::to_string(getpid());
  // Kept exactly as printed, blanks and line break included: the agent recorded it that way.
  const std::string currentParentPid =
      outputForGivenCommand("/bin/sh", {"-c", "/bin/ps -o ppid= " + pidText});
  logMessage("child process ID " + pidText + " : parent process id " + currentParentPid);

  const std::string recordPath = dataPath() + std::string(kRecordFileSuffix);
  if (!fileExists(recordPath)) {
    logMessage(recordPath + " file not available");
    return false;
  }
  const PropertyListReading record = readPropertyListDictionary(recordPath);
  if (!record.document) {
    logMessage(recordPath + " : Cannot Convert plist to Dict");
    return false;
  }
  const auto launchers = record.document->lookup(kRecordKey);
  if (!launchers || launchers->kind() != PropertyListKind::dictionary) {
    logMessage(recordPath + " : Cannot Get Lunmark data value");
    return false;
  }
  const auto entry = launchers->lookup(appName);
  const auto previousParentPid = entry ? entry->string() : std::nullopt;
  if (!previousParentPid) {
    logMessage("previousParentPid is nil for " + appName + " -> false");
    return false;
  }
  if (equalIgnoringAsciiCase(*previousParentPid, currentParentPid)) {
    logMessage("current and previousParentPid are same -> true :" +
               std::string(*previousParentPid));
    return true;
  }
  logMessage("current and previousParentPid are different -> false :" +
             std::string(*previousParentPid));
  return false;
}

}  // namespace brevinor
