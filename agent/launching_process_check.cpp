#include <unistd.h>

#include <algorithm>
#include <future>
#include <optional>
#include <string_view>
#include <system_error>

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

/// What the record holds for one application, or the log line that says why there is nothing.
struct RecordedLauncher {
  std::optional<std::string> previousParentPid;
  std::string failure;
};

RecordedLauncher lookUpRecordedLauncher(const std::string& recordPath, const std::string& appName) {
  if (!fileExists(recordPath)) return {std::nullopt, recordPath + " file not available"};
  const PropertyListReading record = readPropertyListDictionary(recordPath);
  if (!record.document) return {std::nullopt, recordPath + " : Cannot Convert plist to Dict"};
  const auto launchers = record.document->lookup(kRecordKey);
  if (!launchers || launchers->kind() != PropertyListKind::dictionary) {
    return {std::nullopt, recordPath + " : Cannot Get Lunmark data value"};
  }
  const auto entry = launchers->lookup(appName);
  const auto previous = entry ? entry->string() : std::nullopt;
  if (!previous) return {std::nullopt, "previousParentPid is nil for " + appName + " -> false"};
  return {std::string(*previous), ""};
}

}  // namespace

bool KelAgent::isApplicationRunningPromptShown(const std::string& appName) {
  const std::string pidText = std::to_string(getpid());
  // The record is read while ps runs, so that a large record costs no time of its own; its
  // lines are still written after the pid line. Without a thread to be had, it is read after.
  const std::string recordPath = dataPath() + std::string(kRecordFileSuffix);
  std::future<RecordedLauncher> recorded;
  try {
    recorded = std::async(std::launch::async, lookUpRecordedLauncher, recordPath, appName);
  } catch (const std::system_error&) {
  }
  // Kept exactly as printed, blanks and line break included: the agent recorded it that way.
  const std::string currentParentPid =
      outputForGivenCommand("/bin/sh", {"-c", "/bin/ps -o ppid= " + pidText});
  logMessage("child process ID " + pidText + " : parent process id " + currentParentPid);

  const RecordedLauncher launcher =
      recorded.valid() ? recorded.get() : lookUpRecordedLauncher(recordPath, appName);
  if (!launcher.previousParentPid) {
    logMessage(launcher.failure);
    return false;
  }
  const std::string& previousParentPid = *launcher.previousParentPid;
  if (equalIgnoringAsciiCase(previousParentPid, currentParentPid)) {
    logMessage("current and previousParentPid are same -> true :" + previousParentPid);
    return true;
  }
  logMessage("current and previousParentPid are different -> false :" + previousParentPid);
  return false;
}

}  // namespace brevinor
