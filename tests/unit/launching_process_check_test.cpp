#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "agent/command_runner.h"
#include "agent/kel_agent.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;

TEST(LaunchingProcessCheckTest, OnlyExactlyWhatPsPrintsIsTheRecordedLauncher) {
  TemporaryFolder data;
  KelAgent::setDataPath(data.path);
  const std::string record = data.path + "/ApplicationRunningPromptData.plist",
                    pid = std::to_string(getpid()), digits = std::to_string(getppid()),
                    printed = runCommand("/bin/sh", {"-c", "/bin/ps -o ppid= " + pid}),
                    cut = printed.substr(0, printed.size() - 1),
                    nil = "previousParentPid is nil for Editor -> false",
                    other = "current and previousParentPid are different -> false :";
  ASSERT_THAT(printed, ::testing::MatchesRegex(" *" + digits + "\n"));
  const auto launchers = [](const std::string& entries) {
    return dictionaryPlist("<key>Lunmark</key><dict>" + entries + "</dict>");
  };
  const auto editor = [&](const std::string& text) {
    return launchers("<key>Editor</key><string>" + text + "</string>");
  };
  // clang-format off
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {{}, record + " file not available"}, {"", record + " : Cannot Convert plist to Dict"},
      {dictionaryPlist("<key>Lunmark</key><true/>"), record + " : Cannot Get Lunmark data value"},
      {launchers("<key>editor</key><string>" + printed + "</string>"), nil},
      {launchers("<key>Editor</key><integer>" + digits + "</integer>"), nil},
      {editor(digits), other + digits}, {editor(""), other}, {editor(cut), other + cut},
      {editor(printed + "0"), other + printed + "0"},
      {editor(printed), "current and previousParentPid are same -> true :" + printed}};
  // clang-format on
  for (const auto& [file, line] : cases) {
    std::filesystem::remove(record);
    if (file) data.write("ApplicationRunningPromptData.plist", *file);
    CapturedLog log;
    EXPECT_EQ(KelAgent::isApplicationRunningPromptShown("Editor"), line.ends_with(printed)) << line;
    // The pid line first; a final line break ends a line, one inside shows as \n.
    const auto logged = [](const std::string& text) {
      return std::regex_replace(text.substr(0, text.find_last_not_of('\n') + 1), std::regex("\n"),
                                "\\n");
    };
    EXPECT_THAT(
        log.messages(),
        ::testing::ElementsAre(
            "child process ID " + pid + " : parent process id " + logged(printed), logged(line)));
  }
}
