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
namespace fs = std::filesystem;

/// Opens the log in a child, which may redirect its streams freely, and then runs `then` there.
void openLogInChild(void (*then)() = [] {}) {
  if (fork() == 0) {
    KelLogger::changeLogStream("Lunmark", true);
    then();
    _exit(0);
  }
  wait(nullptr);
}

class KelLoggerTest : public ::testing::Test {
 protected:
  KelLoggerTest() { KelAgent::setUserLogsPath(logs.path); }
  std::string file(int index) const {
    return logs.path + "/Lunmark_" + loginName() + std::to_string(index) + ".log";
  }
  TemporaryFolder logs;
};

TEST_F(KelLoggerTest, RotatesOnlyAboveTwoMebibytesShiftingUpToTheFirstGapAndKeepsTen) {
  const std::string big(2 << 20, 'a'), over = big + "+";
  std::map<int, std::string> eleven{{0, over}}, shifted{{0, ""}, {1, over}};
  for (int index = 1; index <= 10; ++index) eleven[index] = std::to_string(index);
  for (int index = 2; index <= 10; ++index) shifted[index] = std::to_string(index - 1);
  const std::pair<std::map<int, std::string>, std::map<int, std::string>> cases[] = {
      {{{0, big}}, {{0, big}}},
      {{{0, over}}, {{0, ""}, {1, over}}},
      {{{0, over}, {1, "1"}, {5, "5"}}, {{0, ""}, {1, over}, {2, "1"}, {5, "5"}}},
      {eleven, shifted},
  };
  for (const auto& [before, after] : cases) {
    for (int index = 0; index <= 11; ++index) fs::remove(file(index));
    for (const auto& [index, content] : before)
      logs.write(fs::path(file(index)).filename(), content);
    openLogInChild();
    std::map<int, std::string> found;
    for (int index = 0; index <= 11; ++index) {
      if (fs::exists(file(index))) found[index] = contentOf(file(index));
    }
    EXPECT_TRUE(found == after) << before.size() << " files, " << found.size() << " after";
  }
}

TEST_F(KelLoggerTest, EachRunAppendsItsLinesAndItsChildrensOutputToTheCurrentFile) {
  for (int run = 0; run < 2; ++run) {
    openLogInChild([] {
      logMessage("Log Open:Brevinor");
      [[maybe_unused]] const int status = std::system("echo child error >&2; echo child output");
    });
  }
  EXPECT_THAT(contentOf(file(0)), ::testing::MatchesRegex("([^\n]* Log Open:Brevinor\nchild error\n"
                                                          "child output\n){2}"));
}
