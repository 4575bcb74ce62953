#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent/command_runner.h"
#include "agent/kel_agent.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;

TEST(LaunchingProcessCheckTest, OnlyExactlyWhatPsPrintsIsTheRecordedLauncher) {
  TemporaryFolder data;
  KelAgent::setDataPath(data.path);
  const std::string record = data.path + "/ApplicationRunningPromptData.plist",
                    pid = std::to_string(getpid()), digits = std::to_string(getppid()),
                    printed = runCommand("/bin/sh", {"-c", "/bin/ps -o ppid= " + pid}),
                    cut = printed.substr(0, printed.size() - 1),
                    nil = "previousParentPid is nil for Editor -> false",
                    other = "current and previousParentPid are different -> false :";
  const auto entry = [](const std::string& name, const std::string& text) {
    return dictionaryPlist("<key>Lunmark</key><dict><key>" + name + "</key><string>" + text +
                           "</string></dict>");
  };
  // clang-format off
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {{}, record + " file not available"}, {"", record + " : Cannot Convert plist to Dict"},
      {dictionaryPlist("<key>Lunmark</key><true/>"), record + " : Cannot Get Lunmark data value"},
      {entry("editor", printed), nil}, {entry("Editor", digits), other + digits},
      {entry("Editor", ""), other}, {entry("Editor", cut), other + cut},
      {entry("Editor", printed + "0"), other + cut + "\\n0"},  // a line break inside shows as \n
      {entry("Editor", printed), "current and previousParentPid are same -> true :" + cut}};
  // clang-format on
  for (const auto& [file, line] : cases) {
    std::filesystem::remove(record);
    if (file) data.write("ApplicationRunningPromptData.plist", *file);
    CapturedLog log;
    EXPECT_EQ(KelAgent::isApplicationRunningPromptShown("Editor"), line.find("true") != line.npos);
    // The pid line first, with what ps printed; a final line break ends the line.
    EXPECT_EQ(log.messages(),
              "child process ID " + pid + " : parent process id " + cut + "\n" + line + "\n");
  }
}
