#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "agent/command_runner.h"
#include "agent/kel_agent.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;

/// A message as the log writes it: a final line break ends the line, one inside shows as \n.
std::string logged(std::string message) {
  if (message.ends_with('\n')) message.pop_back();
  return std::regex_replace(message, std::regex("\n"), "\\n");
}

TEST(LaunchingProcessCheckTest, OnlyExactlyWhatPsPrintsIsTheRecordedLauncher) {
  TemporaryFolder data;
  KelAgent::setDataPath(data.path);
  const std::string record = data.path + "/ApplicationRunningPromptData.plist";
  const std::string pid = std::to_string(getpid()), digits = std::to_string(getppid());
  const std::string printed = runCommand("/bin/sh", {"-c", "/bin/ps -o ppid= " + pid});
  ASSERT_THAT(printed, ::testing::MatchesRegex(" *" + digits + "\n"));
  const auto launchers = [](const std::string& entries) {
    return dictionaryPlist("<key>Lunmark</key><dict>" + entries + "</dict>");
  };
  const auto editor = [&](const std::string& text) {
    return launchers("<key>Editor</key><string>" + text + "</string>");
  };
  const std::string nil = "previousParentPid is nil for Editor -> false",
                    other = "current and previousParentPid are different -> false :",
                    cut = printed.substr(0, printed.size() - 1);
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, record + " file not available"},
      {"", record + " : Cannot Convert plist to Dict"},
      {dictionaryPlist("<key>Lunmark</key><string>Editor</string>"),
       record + " : Cannot Get Lunmark data value"},
      {launchers("<key>editor</key><string>" + printed + "</string>"), nil},
      {launchers("<key>Editor</key><integer>" + digits + "</integer>"), nil},
      {editor(digits), other + digits},
      {editor(""), other},
      {editor(cut), other + cut},
      {editor(printed + "0"), other + printed + "0"},
      {editor(printed), "current and previousParentPid are same -> true :" + printed},
  };
  for (const auto& [file, line] : cases) {
    std::filesystem::remove(record);
    if (file) data.write("ApplicationRunningPromptData.plist", *file);
    CapturedLog log;
    EXPECT_EQ(KelAgent::isApplicationRunningPromptShown("Editor"),
              line.find("-> true") != std::string::npos)
        << line;
    // The pid line comes first, with ps's output as printed.
    EXPECT_THAT(
        log.messages(),
        ::testing::ElementsAre(
            "child process ID " + pid + " : parent process id " + logged(printed), logged(line)));
  }
}
