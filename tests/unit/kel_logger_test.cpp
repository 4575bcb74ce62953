#include "logging/kel_logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <map>

#include "agent/kel_agent.h"
#include "platform/log_line.h"
#include "platform/user_name.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;
using Files = std::map<int, std::string>;

/// Opens the log in a child, which may redirect its streams freely, then runs `then` there.
void openLogInChild(
    const TemporaryFolder& logs, void (*then)() = [] {}) {
  KelAgent::setUserLogsPath(logs.path);
  if (fork() == 0) KelLogger::changeLogStream("Lunmark", true), then(), _exit(0);
  wait(nullptr);
}

std::string logName(int index) {
  return "Lunmark_" + loginName() + std::to_string(index) + ".log";
}

TEST(KelLoggerTest, RotatesOnlyAboveTwoMebibytesShiftingUpToTheFirstGapAndKeepsTen) {
  const std::string full(2 << 20, 'a'), over = full + "+";
  Files eleven{{0, over}}, shifted{{0, ""}, {1, over}};
  for (int index = 1; index <= 10; ++index)
    eleven[index] = shifted[index + 1] = std::to_string(index);
  shifted.erase(11);
  const std::pair<Files, Files> cases[] = {
      {{{0, full}}, {{0, full}}},
      {{{0, over}, {1, "1"}, {5, "5"}}, {{0, ""}, {1, over}, {2, "1"}, {5, "5"}}},
      {eleven, shifted},
  };
  for (const auto& [before, after] : cases) {
    TemporaryFolder logs;
    for (const auto& [index, content] : before) logs.write(logName(index), content);
    openLogInChild(logs);
    Files found;
    for (int index = 0; index <= 11; ++index) {
      if (std::filesystem::exists(logs.path + "/" + logName(index)))
        found[index] = contentOf(logs.path + "/" + logName(index));
    }
    EXPECT_TRUE(found == after) << before.size() << " files before, " << found.size() << " after";
  }
}

TEST(KelLoggerTest, EachRunAppendsItsLinesAndItsChildrensOutputToTheCurrentFile) {
  TemporaryFolder logs;
  for (int run = 0; run < 2; ++run) {
    openLogInChild(logs, [] {
      logMessage("Log Open:Brevinor");
      [[maybe_unused]] const int status = std::system("echo child error >&2; echo child output");
    });
  }
  EXPECT_THAT(
      contentOf(logs.path + "/" + logName(0)),
      ::testing::MatchesRegex("([^\n]* Log Open:Brevinor\nchild error\nchild output\n){2}"));
}
