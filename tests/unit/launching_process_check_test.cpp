#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "agent/kel_agent.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/plist_fixtures.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

using testing::CapturedLog;
using testing::dictionaryOf;
using testing::PlistForm;
using testing::serialized;
using testing::TemporaryFolder;

/// What the agent recorded: the parent pid exactly as ps prints it for us.
std::string printedParentPid() {
  return KelAgent::outputForGivenCommand("/bin/sh",
                                         {"-c", "/bin/ps -o ppid= " + std::to_string(getpid())});
}

/// A message as the log writes it: a final line break ends the line, one inside shows as \n.
std::string logged(std::string message) {
  if (message.ends_with('\n')) message.pop_back();
  for (auto at = message.find('\n'); at != std::string::npos; at = message.find('\n', at)) {
    message.replace(at, 1, "\\n");
  }
  return message;
}

plist_t recordOf(std::vector<std::pair<std::string, plist_t>> launchers) {
  return dictionaryOf({{"Lunmark", dictionaryOf(std::move(launchers))}});
}

TEST(LaunchingProcessCheckTest, AnswersEveryOutcomeWithItsLineAfterThePidLine) {
  TemporaryFolder data;
  KelAgent::setDataPath(data.path());
  const std::string recordPath = data.path() + "/ApplicationRunningPromptData.plist";
  const std::string printed = printedParentPid();
  ASSERT_THAT(printed, ::testing::MatchesRegex(" *[0-9]+\n"));
  const std::string digits = std::to_string(getppid());

  const struct {
    const char* description;
    std::function<std::string(PlistForm)> record;  // none: no file
    bool answer;
    std::string line;
  } cases[] = {
      {"no file", nullptr, false, recordPath + " file not available"},
      {"an empty file", [](PlistForm) { return std::string(); }, false,
       recordPath + " : Cannot Convert plist to Dict"},
      {"an array root", [](PlistForm f) { return serialized(plist_new_array(), f); }, false,
       recordPath + " : Cannot Convert plist to Dict"},
      {"no Lunmark", [](PlistForm f) { return serialized(dictionaryOf({}), f); }, false,
       recordPath + " : Cannot Get Lunmark data value"},
      {"Lunmark holds a string",
       [](PlistForm f) {
         return serialized(dictionaryOf({{"Lunmark", plist_new_string("Editor")}}), f);
       },
       false, recordPath + " : Cannot Get Lunmark data value"},
      {"other applications only",
       [&](PlistForm f) {
         return serialized(recordOf({{"Mail", plist_new_string(printed.c_str())}}), f);
       },
       false, "previousParentPid is nil for Editor -> false"},
      {"the name in another case",
       [&](PlistForm f) {
         return serialized(recordOf({{"editor", plist_new_string(printed.c_str())}}), f);
       },
       false, "previousParentPid is nil for Editor -> false"},
      {"an integer entry",
       [&](PlistForm f) {
         return serialized(recordOf({{"Editor", plist_new_uint(getppid())}}), f);
       },
       false, "previousParentPid is nil for Editor -> false"},
      {"only the digits",
       [&](PlistForm f) {
         return serialized(recordOf({{"Editor", plist_new_string(digits.c_str())}}), f);
       },
       false, "current and previousParentPid are different -> false :" + digits},
      {"an empty text",
       [&](PlistForm f) {
         return serialized(recordOf({{"Editor", plist_new_string("")}}), f);
       },
       false, "current and previousParentPid are different -> false :"},
      {"what ps printed but its last byte",
       [&](PlistForm f) {
         const std::string prefix = printed.substr(0, printed.size() - 1);
         return serialized(recordOf({{"Editor", plist_new_string(prefix.c_str())}}), f);
       },
       false,
       "current and previousParentPid are different -> false :" +
           printed.substr(0, printed.size() - 1)},
      {"what ps printed and one byte more",
       [&](PlistForm f) {
         return serialized(recordOf({{"Editor", plist_new_string((printed + "0").c_str())}}), f);
       },
       false, "current and previousParentPid are different -> false :" + printed + "0"},
      {"exactly as printed",
       [&](PlistForm f) {
         return serialized(recordOf({{"Editor", plist_new_string(printed.c_str())}}), f);
       },
       true, "current and previousParentPid are same -> true :" + printed},
  };
  for (const PlistForm form : {PlistForm::xml, PlistForm::binary}) {
    for (const auto& c : cases) {
      std::filesystem::remove(recordPath);
      if (c.record) data.writeFile("ApplicationRunningPromptData.plist", c.record(form));
      CapturedLog log;
      EXPECT_EQ(KelAgent::isApplicationRunningPromptShown("Editor"), c.answer)
          << c.description << " (" << testing::formName(form) << ")";
      // The pid line comes first, before any file is looked at, with ps's output as printed.
      EXPECT_THAT(log.messages(),
                  ::testing::ElementsAre("child process ID " + std::to_string(getpid()) +
                                             " : parent process id " + logged(printed),
                                         logged(c.line)))
          << c.description << " (" << testing::formName(form) << ")";
    }
  }
}

}  // namespace
}  // namespace brevinor
